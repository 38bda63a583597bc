#include "diagnostics/aistatusstore.h"
#include "diagnostics/diagnosticsrun.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/support/scriptedrunner.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QTest>
#include <QWaitCondition>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QStringList kNames{"DeepSeek", "Claude", "ChatGPT", "GLM 智谱", "Gemini", "HuggingFace"};
const QStringList kUrls{
    "https://api.deepseek.com/",
    "https://api.anthropic.com/v1/models",
    "https://api.openai.com/v1/models",
    "https://open.bigmodel.cn/api/paas/v4/chat/completions",
    "https://generativelanguage.googleapis.com/",
    "https://huggingface.co/",
};
QString directCommand(const QString &url)
{
    return QStringLiteral(
               "curl -s -o /dev/null -m 6 -w '%{http_code} %{time_total}' --noproxy '*' '") +
           url + QLatin1Char('\'');
}

QString proxiedCommand(const QString &url, const QString &quotedProxy)
{
    return QStringLiteral("curl -s -o /dev/null -m 6 -w '%{http_code} %{time_total}' -x ") +
           quotedProxy + QStringLiteral(" '") + url + QLatin1Char('\'');
}

// curl's "-w '%{http_code} %{time_total}'" when nothing answers.
const QString kNoAnswer = QStringLiteral("000 6.001000");

NetContext aliveProxy()
{
    NetContext ctx;
    ctx.proxyEnabled = true;
    ctx.proxyTargetAlive = true;
    ctx.proxyHost = QStringLiteral("127.0.0.1");
    ctx.proxyPort = QStringLiteral("7890");
    return ctx;
}

QStringList reportLines(const QString &detail)
{
    // The report sits between the header line and the blank line before the hint.
    QStringList lines = detail.section(QStringLiteral("\n\n"), 0, 0).split(QLatin1Char('\n'));
    lines.removeFirst();
    return lines;
}

// Holds the first five rows' direct probes until the last row's has been answered, so
// that the last row finishes first without relying on timing.
class LastRowFirstRunner : public Runner {
public:
    explicit LastRowFirstRunner(std::shared_ptr<ScriptedRunner> inner) : m_inner(std::move(inner))
    {
    }

    ShellResult run(const QString &command, double timeoutSeconds) override
    {
        const QString last = directCommand(kUrls.last());
        if (command == last) {
            const ShellResult result = m_inner->run(command, timeoutSeconds);
            QMutexLocker lock(&m_mutex);
            m_lastDone = true;
            m_changed.wakeAll();
            return result;
        }
        {
            QMutexLocker lock(&m_mutex);
            while (!m_lastDone && !m_deadline.hasExpired())
                m_changed.wait(&m_mutex, m_deadline);
        }
        return m_inner->run(command, timeoutSeconds);
    }

private:
    std::shared_ptr<ScriptedRunner> m_inner;
    QMutex m_mutex;
    QWaitCondition m_changed;
    bool m_lastDone = false;
    // One deadline for all rows, so that a check running rows one by one fails in time.
    QDeadlineTimer m_deadline{30000};
};

} // namespace

class TestCheckAI : public QObject {
    Q_OBJECT

private slots:
    void classification_data();
    void classification();
    void mixedRowsReportAndStore();
    void proxyAddress_data();
    void proxyAddress();
    void probesOverlap();
    void rowsKeepTableOrder();
};

void TestCheckAI::classification_data()
{
    QTest::addColumn<QStringList>("direct");  // curl output per service
    QTest::addColumn<QStringList>("proxied"); // empty: no live proxy
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QStringList>("lines"); // the first lines of the report

    const QStringList none;
    const QStringList allFail(6, kNoAnswer);
    QTest::newRow("no proxy: anonymous 401/403/404 count as reachable")
        << QStringList{"404 0.125000", "401 0.250000", "401 0.375000",
                       "403 0.500000", "404 0.125000", "503 0.250000"}
        << none << u"ai-direct-only/info"_s
        << QStringList{"DeepSeek：直连 ✅ 125ms｜代理 —", "Claude：直连 ✅ 250ms｜代理 —"};
    QTest::newRow("no network, no proxy")
        << allFail << none << u"ai-all-fail/error"_s << QStringList{"DeepSeek：直连 ❌｜代理 —"};
    QTest::newRow("direct blocked, proxy carries everything")
        << allFail << QStringList(6, "200 0.500000") << u"ai-need-proxy/warn"_s
        << QStringList{"DeepSeek：直连 ❌｜代理 ✅ 500ms"};
    QTest::newRow("direct works, live proxy fails everything")
        << QStringList(6, "200 0.250000") << allFail << u"ai-direct-only/info"_s
        << QStringList{"DeepSeek：直连 ✅ 250ms｜代理 ❌"};
}

void TestCheckAI::classification()
{
    QFETCH(QStringList, direct);
    QFETCH(QStringList, proxied);
    QFETCH(QStringList, lines);

    auto runner = std::make_shared<ScriptedRunner>();
    for (int i = 0; i < 6; ++i) {
        runner->on(directCommand(kUrls.at(i)), direct.at(i) == kNoAnswer ? 28 : 0, direct.at(i));
        if (!proxied.isEmpty())
            runner->on(proxiedCommand(kUrls.at(i), "'http://127.0.0.1:7890'"), 0, proxied.at(i));
    }
    ScopedRunner scope(runner);
    DiagnosticsRun run;
    if (!proxied.isEmpty())
        run.ctx = aliveProxy();
    const QList<Finding> findings = run.checkAI();
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->commands().size(), proxied.isEmpty() ? 6 : 12);

    QTEST(outline(findings).join(QLatin1Char(',')), "finding");
    QCOMPARE(findings.first().category, CheckCategory::ai);
    QVERIFY(!findings.first().hasFix());
    const QStringList report = reportLines(findings.first().detail);
    QCOMPARE(report.size(), 6);
    QCOMPARE(report.mid(0, lines.size()), lines);
}

void TestCheckAI::mixedRowsReportAndStore()
{
    auto runner = std::make_shared<ScriptedRunner>();
    const QStringList direct{"200 0.125000", kNoAnswer, "401 0.250000",
                             "200 0.125000", kNoAnswer, kNoAnswer};
    const QStringList proxied{kNoAnswer,      "401 0.812500", "401 0.375000",
                              "200 0.125000", "404 0.625000", kNoAnswer};
    for (int i = 0; i < 6; ++i) {
        runner->on(directCommand(kUrls.at(i)), 0, direct.at(i));
        runner->on(proxiedCommand(kUrls.at(i), "'http://127.0.0.1:7890'"), 0, proxied.at(i));
    }
    ScopedRunner scope(runner);
    DiagnosticsRun run;
    run.ctx = aliveProxy();
    const QDateTime before = QDateTime::currentDateTime();
    const QList<Finding> findings = run.checkAI();
    const QDateTime after = QDateTime::currentDateTime();
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(outline(findings), QStringList{"ai-ok/ok"});
    QCOMPARE(
        reportLines(findings.first().detail),
        (QStringList{"DeepSeek：直连 ✅ 125ms｜代理 ❌", "Claude：直连 ❌｜代理 ✅ 812ms",
                     "ChatGPT：直连 ✅ 250ms｜代理 ✅ 375ms", "GLM 智谱：直连 ✅ 125ms｜代理 ✅ 125ms",
                     "Gemini：直连 ❌｜代理 ✅ 625ms", "HuggingFace：直连 ❌｜代理 ❌"}));

    const AIStatusStore::Snapshot store = AIStatusStore::shared().snapshot();
    QVERIFY(store.proxied);
    QVERIFY(store.testedAt && *store.testedAt >= before && *store.testedAt <= after);
    QCOMPARE(store.items.size(), 6);
    const QList<bool> directOK{true, false, true, true, false, false};
    const QList<bool> proxyOK{false, true, true, true, true, false};
    // Direct time when direct worked, else the proxied time, else 0.
    const QList<int> latency{125, 812, 250, 125, 625, 0};
    for (int i = 0; i < 6; ++i) {
        const AIStatus &row = store.items.at(i);
        QCOMPARE(row.name, kNames.at(i));
        QCOMPARE(row.url, kUrls.at(i));
        QCOMPARE(row.directOK, directOK.at(i));
        QCOMPARE(row.proxyOK, proxyOK.at(i));
        QCOMPARE(row.latencyMs, latency.at(i));
    }
}

void TestCheckAI::proxyAddress_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("alive");
    QTest::addColumn<QString>("quotedProxy"); // null: no proxied probe at all

    QTest::newRow("empty host means loopback")
        << u""_s << u"HTTP"_s << true << u"'http://127.0.0.1:7890'"_s;
    QTest::newRow("host with a quote stays one word")
        << u"a'b"_s << u"HTTPS"_s << true << u"'http://a'\\''b:7890'"_s;
    // A SOCKS-only proxy (ssh -D) does not speak HTTP.
    QTest::newRow("socks proxy keeps its scheme")
        << u"127.0.0.1"_s << u"SOCKS"_s << true << u"'socks5h://127.0.0.1:7890'"_s;
    QTest::newRow("switched on but dead: not tried")
        << u"127.0.0.1"_s << u"HTTP"_s << false << QString();
}

void TestCheckAI::proxyAddress()
{
    QFETCH(QString, host);
    QFETCH(QString, kind);
    QFETCH(bool, alive);
    QFETCH(QString, quotedProxy);

    auto runner = std::make_shared<ScriptedRunner>();
    for (const QString &url : kUrls) {
        runner->on(directCommand(url), 7, kNoAnswer);
        if (!quotedProxy.isNull())
            runner->on(proxiedCommand(url, quotedProxy), 0, "200 0.250000");
    }
    ScopedRunner scope(runner);
    DiagnosticsRun run;
    run.ctx = aliveProxy();
    run.ctx.proxyHost = host;
    run.ctx.proxyServerKind = kind;
    run.ctx.proxyTargetAlive = alive;
    const QList<Finding> findings = run.checkAI();
    VERIFY_ALL_SCRIPTED(*runner);

    for (const QString &url : kUrls) {
        QCOMPARE(runner->count(directCommand(url)), 1);
        if (!quotedProxy.isNull())
            QCOMPARE(runner->count(proxiedCommand(url, quotedProxy)), 1);
    }
    QCOMPARE(runner->commands().size(), quotedProxy.isNull() ? 6 : 12);
    QCOMPARE(AIStatusStore::shared().proxied(), !quotedProxy.isNull());
    QCOMPARE(findings.first().id, quotedProxy.isNull() ? QStringLiteral("ai-all-fail")
                                                       : QStringLiteral("ai-need-proxy"));
}

void TestCheckAI::probesOverlap()
{
    // Six slow endpoints, each tried directly and through the proxy: the twelve probes must
    // all be under way at once, even on two cores.
    auto runner = std::make_shared<ScriptedRunner>();
    for (const QString &url : kUrls) {
        runner->on(directCommand(url), 28, kNoAnswer, 500);
        runner->on(proxiedCommand(url, "'http://127.0.0.1:7890'"), 28, kNoAnswer, 500);
    }
    ScopedRunner scope(runner);
    DiagnosticsRun run;
    run.ctx = aliveProxy();
    run.checkAI();
    VERIFY_ALL_SCRIPTED(*runner);

    const QList<ScriptedRunner::Call> calls = runner->calls();
    QCOMPARE(calls.size(), 12);
    qint64 lastStart = 0;
    qint64 firstEnd = std::numeric_limits<qint64>::max();
    for (const ScriptedRunner::Call &call : calls) {
        lastStart = std::max(lastStart, call.startMs);
        firstEnd = std::min(firstEnd, call.endMs);
    }
    QVERIFY2(lastStart < firstEnd,
             qPrintable(QStringLiteral("a probe started at %1 ms, after one had ended at %2 ms")
                            .arg(lastStart)
                            .arg(firstEnd)));
}

void TestCheckAI::rowsKeepTableOrder()
{
    auto scripted = std::make_shared<ScriptedRunner>();
    // Only DeepSeek answers: a row written to the wrong slot would show.
    scripted->on(directCommand(kUrls.first()), 0, "200 0.250000");
    for (qsizetype i = 1; i < kUrls.size(); ++i)
        scripted->on(directCommand(kUrls.at(i)), 7, kNoAnswer);
    ScopedRunner scope(std::make_shared<LastRowFirstRunner>(scripted));
    DiagnosticsRun run;
    const QList<Finding> findings = run.checkAI();
    VERIFY_ALL_SCRIPTED(*scripted);

    QCOMPARE(scripted->calls().first().command, directCommand(kUrls.last()));
    const QList<AIStatus> items = AIStatusStore::shared().items();
    QCOMPARE(items.size(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(items.at(i).name, kNames.at(i));
        QCOMPARE(items.at(i).directOK, i == 0);
    }
    QCOMPARE(reportLines(findings.first().detail).first(),
             QStringLiteral("DeepSeek：直连 ✅ 250ms｜代理 —"));
    QCOMPARE(reportLines(findings.first().detail).last(),
             QStringLiteral("HuggingFace：直连 ❌｜代理 —"));
}

QTEST_GUILESS_MAIN(TestCheckAI)
#include "tst_checkai.moc"
