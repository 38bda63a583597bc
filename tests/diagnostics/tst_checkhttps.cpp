#include "diagnostics/diagnosticsrun.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/diagnostics/pingoutput.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kProbe = QStringLiteral("curl -s -o /dev/null -m 10 -w '%{http_code} %{time_total}' "
                                      "--noproxy '*' 'https://www.apple.com'");
const QString kHeader =
    QStringLiteral("curl -sI -m 8 https://www.apple.com 2>/dev/null | awk -F': ' "
                   "'tolower($1)==\"date\"{print $2}' | tr -d '\\r'");
const QString kServerDate = QStringLiteral("Sun, 06 Dec 2026 12:00:00 GMT");
const QString kPortal = QStringLiteral(
    "curl -s -m 6 -L http://captive.apple.com/hotspot-detect.html 2>/dev/null | head -5");
const QString kPing = QStringLiteral("ping -c 1 -t 3 223.5.5.5");

const QString kSuccessPage =
    QStringLiteral("<HTML><HEAD><TITLE>Success</TITLE></HEAD><BODY>Success</BODY></HTML>\n");
const QString kLoginPage = QStringLiteral(
    "<html><head><title>Guest Wi-Fi Login</title></head>\n<body><form action=\"/login\" "
    "method=\"post\">\n<input name=\"room\"><input type=\"submit\" value=\"Connect\">\n");

QString dateCommand(const QString &quotedHeader)
{
    return QStringLiteral("srv=$(date -j -u -f '%a, %d %b %Y %T GMT' ") + quotedHeader +
           QStringLiteral(" +%s 2>/dev/null); now=$(date -u +%s); echo $(( now - srv ))");
}

struct Machine {
    QString probe = QStringLiteral("200 0.153220");
    QString header = QStringLiteral("Sun, 06 Dec 2026 12:00:00 GMT\n");
    QString difference = QStringLiteral("2\n");
    QString page = kSuccessPage;
    int pingCode = 0;
};

std::shared_ptr<ScriptedRunner> scripted(const Machine &m)
{
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kProbe, m.probe.startsWith(QLatin1String("000")) ? 28 : 0, m.probe)
        .on(kHeader, 0, m.header)
        .on(dateCommand(QLatin1Char('\'') + kServerDate + QLatin1Char('\'')), 0, m.difference)
        .on(kPortal, 0, m.page)
        .on(kPing, m.pingCode, pingOutput(QStringLiteral("223.5.5.5"), 1, m.pingCode == 0 ? 1 : 0));
    return runner;
}

} // namespace

class TestCheckHTTPS : public QObject {
    Q_OBJECT

private slots:
    void httpsProbe_data();
    void httpsProbe();
    void clock_data();
    void clock();
    void captivePortal_data();
    void captivePortal();
    void hostileDateHeaderStaysOneWord();
};

void TestCheckHTTPS::httpsProbe_data()
{
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QString>("shown");

    QTest::newRow("any status is an answer")
        << u"403 0.153220"_s << u"https-ok/ok"_s << u"https://www.apple.com 响应正常（153 ms）"_s;
    QTest::newRow("no answer") << u"000 10.004119"_s << u"https-fail/warn"_s << u""_s;
}

void TestCheckHTTPS::httpsProbe()
{
    QFETCH(QString, probe);
    QFETCH(QString, shown);
    Machine machine;
    machine.probe = probe;
    auto runner = scripted(machine);
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    const QList<Finding> findings = run.checkHTTPS();

    VERIFY_ALL_SCRIPTED(*runner);
    // A direct probe with curl's own 10-second limit under the runner's 14.
    QCOMPARE(runner->count(kProbe), 1);
    for (const ScriptedRunner::Call &call : runner->calls()) {
        if (call.command == kProbe)
            QCOMPARE(call.timeout, 14.0);
    }
    QTEST(outline(findings).value(0), "finding");
    VERIFY_SHOWN(findings.first(), shown);
    QVERIFY(!findings.first().hasFix());
}

void TestCheckHTTPS::clock_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("difference");
    QTest::addColumn<QString>("clock"); // the clock finding; empty when there is none
    QTest::addColumn<QString>("shown");

    const QString skew = QStringLiteral("clock-skew/error");
    QTest::newRow("300 s behind is still tolerated")
        << kServerDate << u"-300\n"_s << u"clock-ok/ok"_s << u""_s;
    QTest::newRow("301 s ahead of us")
        << kServerDate << u"-301\n"_s << skew
        << u"系统时间偏差 301 秒（会打断 HTTPS）\n本机时间与网络时间相差 -301 秒。"_s;
    QTest::newRow("an explicit plus sign is read")
        << kServerDate << u"+400\n"_s << skew << u"系统时间偏差 400 秒"_s;
    QTest::newRow("bash arithmetic error counts as ok")
        << kServerDate
        << u"bash: now - srv : syntax error: operand expected (error token is \"srv \")\n"_s
        << u"clock-ok/ok"_s << u""_s;
    QTest::newRow("no date header: no clock finding") << u""_s << u""_s << u""_s << u""_s;
}

void TestCheckHTTPS::clock()
{
    QFETCH(QString, header);
    QFETCH(QString, difference);
    QFETCH(QString, clock);
    QFETCH(QString, shown);
    Machine machine;
    // curl leaves a newline after the value; the CR was stripped by tr.
    machine.header = header.isEmpty() ? QString() : header + QLatin1Char('\n');
    machine.difference = difference;
    auto runner = scripted(machine);
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    const QList<Finding> findings = run.checkHTTPS();

    QStringList expected{kProbe, kHeader};
    if (!header.isEmpty())
        expected << dateCommand(QStringLiteral("'Sun, 06 Dec 2026 12:00:00 GMT'"));
    expected << kPortal << kPing;
    QCOMPARE(sorted(runner->commands()), sorted(expected));
    QCOMPARE(outline(findings).mid(1).join(QString()), clock);
    if (clock.isEmpty())
        return;
    const Finding &f = findings.at(1);
    VERIFY_SHOWN(f, shown);
    if (f.id == QLatin1String("clock-skew")) {
        QCOMPARE(fixShape(f), QStringLiteral("fix-clock admin"));
        QCOMPARE(fixCommands(f),
                 (QStringList{"systemsetup -setusingnetworktime on", "sntp -sS time.apple.com"}));
    }
}

void TestCheckHTTPS::captivePortal_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("pingCode");
    QTest::addColumn<bool>("portal");

    QTest::newRow("success page, ping failing") << kSuccessPage << 2 << false;
    QTest::newRow("login page, ping failing") << kLoginPage << 2 << true;
    QTest::newRow("login page, ping answering") << kLoginPage << 0 << false;
}

void TestCheckHTTPS::captivePortal()
{
    QFETCH(QString, page);
    QFETCH(int, pingCode);
    QFETCH(bool, portal);
    Machine machine;
    machine.page = page;
    machine.pingCode = pingCode;
    auto runner = scripted(machine);
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    const QList<Finding> findings = run.checkHTTPS();

    // The ping runs whatever the page held.
    QCOMPARE(runner->count(kPortal), 1);
    QCOMPARE(runner->count(kPing), 1);
    QCOMPARE(findings.size(), portal ? 3 : 2);
    if (portal) {
        QCOMPARE(outline(findings).last(), QStringLiteral("captive-portal/warn"));
        QCOMPARE(findings.last().category, CheckCategory::connectivity);
    }
}

void TestCheckHTTPS::hostileDateHeaderStaysOneWord()
{
    // A portal or a hostile server chooses the header text.
    const QString header = QStringLiteral("Sun, 06 Dec 2026'; reboot; echo '");
    const QString date = dateCommand(QStringLiteral("'Sun, 06 Dec 2026'\\''; reboot; echo '\\'''"));
    Machine machine;
    machine.header = header + QLatin1Char('\n');
    auto runner = scripted(machine);
    runner->on(date, 1,
               QStringLiteral("bash: line 1: now - srv : syntax error: operand expected (error "
                              "token is \"srv \")\n"));
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    const QList<Finding> findings = run.checkHTTPS();

    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->count(date), 1);
    QCOMPARE(findings.value(1).id, QStringLiteral("clock-ok"));
}

QTEST_GUILESS_MAIN(TestCheckHTTPS)
#include "tst_checkhttps.moc"
