#include "diagnostics/decisions.h"
#include "tests/diagnostics/findingcheck.h"

#include <QTest>

using namespace brevik;

using namespace Qt::StringLiterals;

namespace {

// One probe as curl's "%{http_code} %{time_total}" reads: "-" for no answer, else
// "CODE MS" ("401 250").
HttpProbeResult probe(const QString &text)
{
    if (text == QLatin1String("-"))
        return HttpProbeResult{};
    return HttpProbeResult{text.section(QLatin1Char(' '), 0, 0),
                           text.section(QLatin1Char(' '), 1).toInt(), true};
}

// Six rows, the service table's order; `proxied` empty: no live proxy.
AIObservation observation(const QStringList &direct, const QStringList &proxied)
{
    AIObservation seen;
    if (!proxied.isEmpty())
        seen.proxy = QStringLiteral("127.0.0.1:7890");
    for (qsizetype i = 0; i < direct.size(); ++i) {
        AIRowObservation row{probe(direct.at(i)), std::nullopt};
        if (!proxied.isEmpty())
            row.proxied = probe(proxied.at(i));
        seen.rows << row;
    }
    return seen;
}

QStringList reportLines(const QString &detail)
{
    // The report sits between the header line and the blank line before the hint.
    QStringList lines = detail.section(QStringLiteral("\n\n"), 0, 0).split(QLatin1Char('\n'));
    lines.removeFirst();
    return lines;
}

} // namespace

class TestCheckAI : public QObject {
    Q_OBJECT

private slots:
    void decision_data();
    void decision();
    void proxyTried_data();
    void proxyTried();
};

void TestCheckAI::decision_data()
{
    QTest::addColumn<QStringList>("direct");
    QTest::addColumn<QStringList>("proxied");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QStringList>("report");   // the report's lines
    QTest::addColumn<QList<int>>("latencies"); // the grid's: direct, else proxied, else 0

    const QStringList none;
    const QStringList allFail(6, "-");
    QTest::newRow("no proxy: anonymous 401/403/404 count as reachable")
        << QStringList{"404 125", "401 250", "401 375", "403 500", "404 125", "503 250"} << none
        << u"ai-direct-only/info -"_s
        << QStringList{"DeepSeek：直连 ✅ 125ms｜代理 —", "Claude：直连 ✅ 250ms｜代理 —",
                       "ChatGPT：直连 ✅ 375ms｜代理 —",  "GLM 智谱：直连 ✅ 500ms｜代理 —",
                       "Gemini：直连 ✅ 125ms｜代理 —",   "HuggingFace：直连 ✅ 250ms｜代理 —"}
        << QList<int>{125, 250, 375, 500, 125, 250};
    QTest::newRow("no network, no proxy")
        << allFail << none << u"ai-all-fail/error -"_s
        << QStringList{"DeepSeek：直连 ❌｜代理 —", "Claude：直连 ❌｜代理 —",
                       "ChatGPT：直连 ❌｜代理 —",  "GLM 智谱：直连 ❌｜代理 —",
                       "Gemini：直连 ❌｜代理 —",   "HuggingFace：直连 ❌｜代理 —"}
        << QList<int>(6, 0);
    QTest::newRow("direct blocked, proxy carries everything")
        << allFail << QStringList(6, "200 500") << u"ai-need-proxy/warn -"_s
        << QStringList(6, QString()) << QList<int>(6, 500);
    QTest::newRow("direct works, live proxy fails everything")
        << QStringList(6, "200 250") << allFail << u"ai-direct-only/info -"_s
        << QStringList(6, QString()) << QList<int>(6, 250);
    QTest::newRow("mixed rows, each shown as it went")
        << QStringList{"200 125", "-", "401 250", "200 125", "-", "-"}
        << QStringList{"-", "401 812", "401 375", "200 125", "404 625", "-"} << u"ai-ok/ok -"_s
        << QStringList{"DeepSeek：直连 ✅ 125ms｜代理 ❌",
                       "Claude：直连 ❌｜代理 ✅ 812ms",
                       "ChatGPT：直连 ✅ 250ms｜代理 ✅ 375ms",
                       "GLM 智谱：直连 ✅ 125ms｜代理 ✅ 125ms",
                       "Gemini：直连 ❌｜代理 ✅ 625ms",
                       "HuggingFace：直连 ❌｜代理 ❌"}
        << QList<int>{125, 812, 250, 125, 625, 0};
}

void TestCheckAI::decision()
{
    QFETCH(QStringList, direct);
    QFETCH(QStringList, proxied);
    QFETCH(QStringList, report);
    QFETCH(QList<int>, latencies);
    const AIObservation seen = observation(direct, proxied);
    const QList<Finding> findings = decideAI(NetContext{}, seen);

    QTEST(outline(findings).join(QLatin1Char(',')), "finding");
    QCOMPARE(findings.first().category, CheckCategory::ai);
    const QStringList lines = reportLines(findings.first().detail);
    QCOMPARE(lines.size(), 6);
    if (!report.first().isEmpty())
        QCOMPARE(lines, report);

    const QList<AIStatus> grid = aiStatuses(seen);
    QCOMPARE(grid.size(), 6);
    for (qsizetype i = 0; i < grid.size(); ++i) {
        QCOMPARE(grid.at(i).directOK, direct.at(i) != QLatin1String("-"));
        QCOMPARE(grid.at(i).proxyOK, !proxied.isEmpty() && proxied.at(i) != QLatin1String("-"));
        QCOMPARE(grid.at(i).latencyMs, latencies.at(i));
    }
}

void TestCheckAI::proxyTried_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("alive");
    QTest::addColumn<QString>("proxy"); // null: the rows are not tried through it

    QTest::newRow("empty host means loopback") << u""_s << u"HTTP"_s << true << u"127.0.0.1:7890"_s;
    // A SOCKS-only proxy (ssh -D) does not speak HTTP.
    QTest::newRow("socks proxy keeps its scheme")
        << u"127.0.0.1"_s << u"SOCKS"_s << true << u"socks5h://127.0.0.1:7890"_s;
    QTest::newRow("switched on but dead: not tried")
        << u"127.0.0.1"_s << u"HTTP"_s << false << QString();
}

void TestCheckAI::proxyTried()
{
    QFETCH(QString, host);
    QFETCH(QString, kind);
    QFETCH(bool, alive);
    QFETCH(QString, proxy);
    NetContext ctx;
    ctx.proxyEnabled = true;
    ctx.proxyHost = host;
    ctx.proxyPort = QStringLiteral("7890");
    ctx.proxyServerKind = kind;
    ctx.proxyTargetAlive = alive;
    QCOMPARE(aiProxy(ctx).value_or(QString()), proxy);
    QCOMPARE(aiProxy(ctx).has_value(), !proxy.isNull());
}

QTEST_GUILESS_MAIN(TestCheckAI)
#include "tst_checkai.moc"
