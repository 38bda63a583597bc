#include "diagnostics/decisions.h"
#include "diagnostics/diagnosticsrun.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace brevik;

using namespace Qt::StringLiterals;

namespace {

const QString kServerDate = QStringLiteral("Sun, 06 Dec 2026 12:00:00 GMT");

} // namespace

class TestCheckHTTPS : public QObject {
    Q_OBJECT

private slots:
    void decision_data();
    void decision();
    void hostileDateHeaderStaysOneWord();
};

void TestCheckHTTPS::decision_data()
{
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("serverDate");
    QTest::addColumn<QString>("difference"); // what bash printed for now minus the server's date
    QTest::addColumn<QString>("portalPage"); // a file under tests/data/portal; "" for no page
    QTest::addColumn<int>("portalPing");
    QTest::addColumn<QStringList>("findings");
    QTest::addColumn<QString>("shown"); // in the last finding

    const QString ok = QStringLiteral("https-ok/ok -");
    const QString clockOk = QStringLiteral("clock-ok/ok -");
    const QString skew = QStringLiteral("clock-skew/error fix-clock admin");
    QTest::newRow("any answer is https-ok, timed")
        << true << kServerDate << u"2"_s << u"success.html"_s << 2 << QStringList{ok, clockOk}
        << u""_s;
    QTest::newRow("no answer") << false << kServerDate << u"2"_s << u"success.html"_s << 0
                               << QStringList{"https-fail/warn -", clockOk} << u""_s;
    QTest::newRow("300 s behind is still tolerated")
        << true << kServerDate << u"-300"_s << u"success.html"_s << 0 << QStringList{ok, clockOk}
        << u""_s;
    QTest::newRow("301 s ahead of us")
        << true << kServerDate << u"-301"_s << u"success.html"_s << 0 << QStringList{ok, skew}
        << u"系统时间偏差 301 秒（会打断 HTTPS）\n本机时间与网络时间相差 -301 秒。"_s;
    QTest::newRow("an explicit plus sign is read")
        << true << kServerDate << u"+400"_s << u"success.html"_s << 0 << QStringList{ok, skew}
        << u"系统时间偏差 400 秒"_s;
    QTest::newRow("a bash arithmetic error counts as ok")
        << true << kServerDate
        << u"bash: now - srv : syntax error: operand expected (error token is \"srv \")"_s
        << u"success.html"_s << 0 << QStringList{ok, clockOk} << u""_s;
    QTest::newRow("no date header: no clock finding")
        << true << u""_s << u""_s << u"success.html"_s << 0 << QStringList{ok} << u""_s;
    QTest::newRow("login page while a public address is silent")
        << true << kServerDate << u"0"_s << u"login.html"_s << 2
        << QStringList{ok, clockOk, "captive-portal/warn -"} << u""_s;
    QTest::newRow("login page, but a public address answers")
        << true << kServerDate << u"0"_s << u"login.html"_s << 0 << QStringList{ok, clockOk}
        << u""_s;
    QTest::newRow("no page at all is no portal")
        << false << u""_s << u""_s << u""_s << 2 << QStringList{"https-fail/warn -"} << u""_s;
}

void TestCheckHTTPS::decision()
{
    QFETCH(bool, answered);
    QFETCH(QString, serverDate);
    QFETCH(QString, difference);
    QFETCH(QString, portalPage);
    QFETCH(int, portalPing);
    QFETCH(QString, shown);
    HttpsObservation seen;
    seen.https = HttpProbeResult{answered ? u"403"_s : u"000"_s, answered ? 153 : 0, answered};
    seen.serverDate = serverDate;
    seen.clockDifference = difference;
    seen.portalPage = portalPage.isEmpty() ? QString() : testData("portal/" + portalPage);
    seen.portalPingCode = portalPing;
    const QList<Finding> findings = decideHTTPS(NetContext{}, seen);

    QTEST(outline(findings), "findings");
    VERIFY_SHOWN(findings.last(), shown);
    if (answered)
        VERIFY_SHOWN(findings.first(), u"https://www.apple.com 响应正常（153 ms）"_s);
    if (findings.last().id == QLatin1String("captive-portal"))
        QCOMPARE(findings.last().category, CheckCategory::connectivity);
}

void TestCheckHTTPS::hostileDateHeaderStaysOneWord()
{
    // A portal or a hostile server chooses the header text; it reaches date as one word.
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(QStringLiteral("curl -sI -m 8 https://www.apple.com 2>/dev/null | awk -F': ' "
                              "'tolower($1)==\"date\"{print $2}' | tr -d '\\r'"),
               0, QStringLiteral("Sun, 06 Dec 2026'; reboot; echo '\n"));
    const QString date = QStringLiteral(
        "srv=$(date -j -u -f '%a, %d %b %Y %T GMT' 'Sun, 06 Dec 2026'\\''; reboot; echo '\\''' "
        "+%s 2>/dev/null); now=$(date -u +%s); echo $(( now - srv ))");
    runner->on(date, 1);
    ScopedRunner scope(runner);
    DiagnosticsRun(ScanPace::sequential).observeHTTPS();
    QCOMPARE(runner->count(date), 1);
}

QTEST_GUILESS_MAIN(TestCheckHTTPS)
#include "tst_checkhttps.moc"
