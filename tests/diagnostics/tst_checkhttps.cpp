#include "diagnostics/diagnosticsrun.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/diagnostics/pingoutput.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

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

QStringList ids(const QList<Finding> &findings)
{
    QStringList list;
    for (const Finding &f : findings)
        list << f.id;
    return list;
}

} // namespace

class TestCheckHTTPS : public QObject {
    Q_OBJECT

private slots:
    void httpsProbe_data();
    void httpsProbe();
    void clock_data();
    void clock();
    void clockRepair();
    void captivePortal_data();
    void captivePortal();
    void hostileDateHeaderStaysOneWord();
};

void TestCheckHTTPS::httpsProbe_data()
{
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("id");
    QTest::addColumn<Severity>("severity");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("detail");

    const QString failDetail =
        QStringLiteral("底层网络可达，但访问 https://www.apple.com 失败。常见原因：代理残留、VPN "
                       "异常、系统时间错误导致证书校验失败。");
    QTest::newRow("answered in 153 ms") << "200 0.153220"
                                        << "https-ok" << Severity::ok << "HTTPS 访问正常"
                                        << "https://www.apple.com 响应正常（153 ms）";
    QTest::newRow("any status counts as an answer")
        << "403 0.050"
        << "https-ok" << Severity::ok << "HTTPS 访问正常"
        << "https://www.apple.com 响应正常（50 ms）";
    QTest::newRow("no answer") << "000 10.004119"
                               << "https-fail" << Severity::warn << "HTTPS 访问失败（curl 无响应）"
                               << failDetail;
    QTest::newRow("nothing printed")
        << ""
        << "https-fail" << Severity::warn << "HTTPS 访问失败（curl 无响应）" << failDetail;
}

void TestCheckHTTPS::httpsProbe()
{
    QFETCH(QString, probe);
    Machine machine;
    machine.probe = probe;
    auto runner = scripted(machine);
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    const QList<Finding> findings = run.checkHTTPS();

    VERIFY_ALL_SCRIPTED(*runner);
    // A direct probe with curl's own 10-second limit under the runner's 14.
    QCOMPARE(runner->calls().value(0).command, kProbe);
    QCOMPARE(runner->calls().value(0).timeout, 14.0);
    const Finding &f = findings.first();
    QTEST(f.id, "id");
    QTEST(f.severity, "severity");
    QTEST(f.title, "title");
    QTEST(f.detail, "detail");
    QCOMPARE(f.category, CheckCategory::system);
    if (f.id == QLatin1String("https-fail")) {
        QCOMPARE(f.fixHint,
                 QStringLiteral("检查系统代理是否指向已关闭的代理软件；确认时间自动同步。"));
        QCOMPARE(
            f.manualSteps,
            (QStringList{QStringLiteral("系统设置 → 通用 → 日期与时间 → 打开「自动设置」"),
                         QStringLiteral("检查是否有残留代理：本工具「代理 / 科学上网」一栏")}));
        QVERIFY(!f.hasFix());
    } else {
        QVERIFY(!f.fixHint && !f.hasFix() && f.manualSteps.isEmpty());
    }
}

void TestCheckHTTPS::clock_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("difference");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QString>("title"); // of the clock finding, if any
    QTest::addColumn<QString>("detail");

    const QStringList ok{"https-ok", "clock-ok"};
    const QStringList skew{"https-ok", "clock-skew"};
    const QString okDetail = QStringLiteral("与网络时间偏差在允许范围内");
    const QString skewTail =
        QStringLiteral(" 秒。时间错误会导致 TLS 证书验证失败，表现为「所有 HTTPS 网站都打不开」。");

    QTest::newRow("server 299 s behind") << kServerDate << "299\n"
                                         << ok << "系统时间正确" << okDetail;
    QTest::newRow("300 s is still tolerated") << kServerDate << "-300\n"
                                              << ok << "系统时间正确" << okDetail;
    QTest::newRow("301 s ahead of us") << kServerDate << "-301\n"
                                       << skew << "系统时间偏差 301 秒（会打断 HTTPS）"
                                       << "本机时间与网络时间相差 -301" + skewTail;
    QTest::newRow("a day fast") << kServerDate << "86400\n"
                                << skew << "系统时间偏差 86400 秒（会打断 HTTPS）"
                                << "本机时间与网络时间相差 86400" + skewTail;
    QTest::newRow("an explicit plus sign is read") << kServerDate << "+400\n"
                                                   << skew << "系统时间偏差 400 秒（会打断 HTTPS）"
                                                   << "本机时间与网络时间相差 400" + skewTail;
    QTest::newRow("bash arithmetic error counts as ok")
        << kServerDate
        << "bash: now - srv : syntax error: operand expected (error token is \"srv \")\n"
        << ok << "系统时间正确" << okDetail;
    QTest::newRow("a fraction is not an integer") << kServerDate << "400.5\n"
                                                  << ok << "系统时间正确" << okDetail;
    QTest::newRow("no date header: no clock finding") << ""
                                                      << "" << QStringList{"https-ok"} << ""
                                                      << "";
}

void TestCheckHTTPS::clock()
{
    QFETCH(QString, header);
    QFETCH(QString, difference);
    QFETCH(QString, title);
    QFETCH(QString, detail);
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
    QCOMPARE(runner->commands(), expected);
    QTEST(ids(findings), "ids");
    if (findings.size() < 2)
        return;
    const Finding &f = findings.at(1);
    QCOMPARE(f.title, title);
    QCOMPARE(f.detail, detail);
    QCOMPARE(f.category, CheckCategory::system);
    QCOMPARE(f.severity, f.id == QLatin1String("clock-ok") ? Severity::ok : Severity::error);
}

void TestCheckHTTPS::clockRepair()
{
    Machine machine;
    machine.difference = QStringLiteral("-3600\n");
    auto runner = scripted(machine);
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    const Finding f = run.checkHTTPS().value(1);

    QCOMPARE(f.id, QStringLiteral("clock-skew"));
    QCOMPARE(f.fixHint,
             QStringLiteral("打开网络时间自动同步：sudo systemsetup -setusingnetworktime on"));
    QVERIFY(f.manualSteps.isEmpty());
    VERIFY_FIX(f, QStringLiteral("fix-clock"), QStringLiteral("开启网络时间同步"),
               (QStringList{QStringLiteral("systemsetup -setusingnetworktime on"),
                            QStringLiteral("sntp -sS time.apple.com")}),
               true, false, QStringLiteral("已开启网络时间自动同步"));
}

void TestCheckHTTPS::captivePortal_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("pingCode");
    QTest::addColumn<bool>("portal");

    QTest::newRow("success page, ping failing") << kSuccessPage << 2 << false;
    QTest::newRow("login page, ping failing") << kLoginPage << 2 << true;
    QTest::newRow("login page, ping answering") << kLoginPage << 0 << false;
    QTest::newRow("no page at all") << "" << 2 << false;
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
    QCOMPARE(runner->commands().mid(3), (QStringList{kPortal, kPing}));
    QCOMPARE(findings.size(), portal ? 3 : 2);
    if (!portal)
        return;
    const Finding &f = findings.last();
    QCOMPARE(f.id, QStringLiteral("captive-portal"));
    QCOMPARE(f.severity, Severity::warn);
    QCOMPARE(f.category, CheckCategory::connectivity);
    QCOMPARE(f.title, QStringLiteral("疑似需要网页认证的 Wi-Fi（强制门户）"));
    QCOMPARE(f.detail, QStringLiteral("检测到网络被强制门户拦截（常见于酒店、机场、商场 Wi-Fi），"
                                      "需要先在浏览器中完成登录。"));
    QCOMPARE(f.manualSteps, (QStringList{QStringLiteral("打开浏览器访问任意网站"),
                                         QStringLiteral("在跳转的认证页面输入账号或勾选同意"),
                                         QStringLiteral("认证完成后回到本工具重新扫描")}));
    QVERIFY(!f.fixHint && !f.hasFix());
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
    QCOMPARE(runner->commands().value(2), date);
    QCOMPARE(findings.value(1).id, QStringLiteral("clock-ok"));
}

QTEST_GUILESS_MAIN(TestCheckHTTPS)
#include "tst_checkhttps.moc"
