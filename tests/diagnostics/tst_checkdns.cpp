#include "diagnostics/diagnosticsrun.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

namespace {

const QString kResolve = QStringLiteral("dscacheutil -q host -a name www.apple.com | grep "
                                        "'ip_address' | head -1 | awk '{print $2}'");
const QString kDigAnthropic =
    QStringLiteral("dig +short +time=3 +tries=1 api.anthropic.com 2>/dev/null | head -3");
const QString kDigOpenAI =
    QStringLiteral("dig +short +time=3 +tries=1 api.openai.com 2>/dev/null | head -3");

const QString kDigNormal = QStringLiteral("104.18.32.47\n172.64.155.209\n");

struct Probes {
    QString address = QStringLiteral("17.253.144.10\n");
    QString anthropic = kDigNormal;
    QString openai = QStringLiteral("162.159.140.245\n");
};

std::shared_ptr<ScriptedRunner> scripted(const Probes &probes)
{
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kResolve, 0, probes.address)
        .on(kDigAnthropic, probes.anthropic.isEmpty() ? 9 : 0, probes.anthropic)
        .on(kDigOpenAI, probes.openai.isEmpty() ? 9 : 0, probes.openai);
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

class TestCheckDNS : public QObject {
    Q_OBJECT

private slots:
    void configurationAndResolution_data();
    void configurationAndResolution();
    void pollution_data();
    void pollution();
    void repairs_data();
    void repairs();
};

void TestCheckDNS::configurationAndResolution_data()
{
    QTest::addColumn<QStringList>("servers");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QString>("configDetail");
    QTest::addColumn<QString>("resolveTitle");
    QTest::addColumn<QString>("resolveDetail");

    QTest::newRow("two servers, resolving")
        << QStringList{"192.168.1.1", "8.8.8.8"} << "17.253.144.10\n"
        << QStringList{"dns-config-ok", "dns-resolve-ok"} << "DNS 服务器：192.168.1.1, 8.8.8.8"
        << "域名解析正常"
        << "www.apple.com → 17.253.144.10";
    QTest::newRow("no servers and no answer")
        << QStringList{} << "" << QStringList{"no-dns", "dns-resolve-fail"}
        << "没有 DNS 就无法把域名翻译成 IP，浏览器会提示「找不到服务器」。"
        << "域名解析失败（www.apple.com）"
        << "DNS 查询没有返回结果。当前 DNS：无";
    QTest::newRow("no servers but the cache still answers")
        << QStringList{} << "17.253.144.10\n"
        << QStringList{"no-dns", "dns-resolve-ok"}
        << "没有 DNS 就无法把域名翻译成 IP，浏览器会提示「找不到服务器」。"
        << "域名解析正常"
        << "www.apple.com → 17.253.144.10";
    QTest::newRow("servers but a blank answer")
        << QStringList{"192.168.1.1", "223.5.5.5"} << " \n"
        << QStringList{"dns-config-ok", "dns-resolve-fail"} << "DNS 服务器：192.168.1.1, 223.5.5.5"
        << "域名解析失败（www.apple.com）"
        << "DNS 查询没有返回结果。当前 DNS：192.168.1.1, 223.5.5.5";
}

void TestCheckDNS::configurationAndResolution()
{
    QFETCH(QStringList, servers);
    QFETCH(QString, address);
    Probes probes;
    probes.address = address;
    auto runner = scripted(probes);
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    run.ctx.dnsServers = servers;
    run.ctx.service = QStringLiteral("Wi-Fi");
    const QList<Finding> findings = run.checkDNS();

    QCOMPARE(runner->commands(), (QStringList{kResolve, kDigAnthropic, kDigOpenAI}));
    QTEST(ids(findings), "ids");
    const Finding &config = findings.at(0);
    const Finding &resolve = findings.at(1);
    QTEST(config.detail, "configDetail");
    QTEST(resolve.title, "resolveTitle");
    QTEST(resolve.detail, "resolveDetail");
    QCOMPARE(config.severity, servers.isEmpty() ? Severity::error : Severity::ok);
    QCOMPARE(config.title, servers.isEmpty() ? QStringLiteral("系统未配置 DNS 服务器")
                                             : QStringLiteral("DNS 配置正常"));
    QCOMPARE(resolve.severity,
             resolve.id == QLatin1String("dns-resolve-ok") ? Severity::ok : Severity::error);
    for (const Finding &f : findings) {
        QCOMPARE(f.category, CheckCategory::dns);
        QVERIFY(f.manualSteps.isEmpty());
    }
}

void TestCheckDNS::pollution_data()
{
    QTest::addColumn<QString>("anthropic");
    QTest::addColumn<QString>("openai");
    QTest::addColumn<QString>("detail"); // empty: no pollution finding

    QTest::newRow("normal answers") << kDigNormal << "162.159.140.245\n"
                                    << "";
    QTest::newRow("0.0.0.0 for the first host only")
        << "0.0.0.0\n"
        << "162.159.140.245\n"
        << "以下 AI 域名被解析到无效地址：\napi.anthropic.com → 0.0.0.0";
    QTest::newRow("CNAME then loopback: only the loopback line")
        << "api.anthropic.com.cdn.cloudflare.net.\n127.0.0.1\n"
        << "162.159.140.245\n"
        << "以下 AI 域名被解析到无效地址：\napi.anthropic.com → 127.0.0.1";
    QTest::newRow("both hosts, every bad line in order")
        << "127.0.0.1\n0.0.0.0\n"
        << "::\n"
        << "以下 AI 域名被解析到无效地址：\napi.anthropic.com → 127.0.0.1\napi.anthropic.com → "
           "0.0.0.0\napi.openai.com → ::";
    QTest::newRow("::1 and 0.0.0.1 are not invalid") << "::1\n"
                                                     << "0.0.0.1\n"
                                                     << "";
    QTest::newRow("the test is on the beginning of the line")
        << "0.0.0.0.example.net.\n"
        << "162.159.140.245\n"
        << "以下 AI 域名被解析到无效地址：\napi.anthropic.com → 0.0.0.0.example.net.";
    QTest::newRow("blanks and tabs around an answer are trimmed")
        << "104.18.32.47\n \t127.0.0.2 \n"
        << "162.159.140.245\n"
        << "以下 AI 域名被解析到无效地址：\napi.anthropic.com → 127.0.0.2";
    QTest::newRow("no answer at all is not pollution") << ""
                                                       << ""
                                                       << "";
    QTest::newRow("a dig time-out is not pollution")
        << ";; connection timed out; no servers could be reached\n"
        << ""
        << "";
}

void TestCheckDNS::pollution()
{
    QFETCH(QString, anthropic);
    QFETCH(QString, openai);
    QFETCH(QString, detail);
    Probes probes;
    probes.anthropic = anthropic;
    probes.openai = openai;
    auto runner = scripted(probes);
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    run.ctx.dnsServers = {QStringLiteral("192.168.1.1")};
    const QList<Finding> findings = run.checkDNS();

    VERIFY_ALL_SCRIPTED(*runner);
    if (detail.isEmpty()) {
        QCOMPARE(findings.size(), 2);
        return;
    }
    QCOMPARE(findings.size(), 3);
    const Finding &f = findings.at(2);
    QCOMPARE(f.id, QStringLiteral("dns-poisoned"));
    QCOMPARE(f.severity, Severity::warn);
    QCOMPARE(f.category, CheckCategory::dns);
    QCOMPARE(f.title, QStringLiteral("检测到 DNS 污染 / 屏蔽"));
    QCOMPARE(f.detail, detail);
}

void TestCheckDNS::repairs_data()
{
    QTest::addColumn<QStringList>("servers");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("anthropic");
    QTest::addColumn<QString>("service");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("fixId");
    QTest::addColumn<QString>("fixTitle");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("needsAdmin");
    QTest::addColumn<bool>("fallbackAdmin");
    QTest::addColumn<QString>("successHint");
    QTest::addColumn<QString>("fixHint");

    const QString setWifi =
        QStringLiteral("networksetup -setdnsservers 'Wi-Fi' 223.5.5.5 119.29.29.29");
    const QStringList flushWifi{QStringLiteral("dscacheutil -flushcache"),
                                QStringLiteral("killall -HUP mDNSResponder"), setWifi};

    QTest::newRow("no servers") << QStringList{} << "17.253.144.10\n"
                                << kDigNormal << "Wi-Fi" << 0 << "fix-no-dns"
                                << "设置公共 DNS" << QStringList{setWifi} << false << true
                                << "已设置公共 DNS"
                                << "为当前服务设置公共 DNS（阿里 223.5.5.5 / 腾讯 119.29.29.29）。";
    QTest::newRow("resolution failed")
        << QStringList{"192.168.1.1"} << "" << kDigNormal << "Wi-Fi" << 1 << "fix-dns-flush"
        << "刷新缓存 + 改用公共 DNS" << flushWifi << true << false << "DNS 缓存已刷新并设置公共 DNS"
        << "刷新 DNS 缓存并改用公共 DNS，可解决绝大多数「网页打不开但能 ping 通」的问题。";
    QTest::newRow("polluted") << QStringList{"192.168.1.1"} << "17.253.144.10\n"
                              << "0.0.0.0\n"
                              << "Wi-Fi" << 2 << "fix-dns-poison"
                              << "改用公共 DNS + 刷新缓存" << flushWifi << true << false
                              << "已切换公共 DNS 并刷新缓存"
                              << "改用加密或公共 DNS，并确保通过 ClashX 等代理访问 AI 服务。";
    QTest::newRow("service name with a blank and a quote stays one word")
        << QStringList{} << "17.253.144.10\n"
        << kDigNormal << "USB 10/100/1000 LAN's" << 0 << "fix-no-dns"
        << "设置公共 DNS"
        << QStringList{"networksetup -setdnsservers 'USB 10/100/1000 LAN'\\''s' 223.5.5.5 "
                       "119.29.29.29"}
        << false << true << "已设置公共 DNS"
        << "为当前服务设置公共 DNS（阿里 223.5.5.5 / 腾讯 119.29.29.29）。";
}

void TestCheckDNS::repairs()
{
    QFETCH(QStringList, servers);
    QFETCH(QString, address);
    QFETCH(QString, anthropic);
    QFETCH(QString, service);
    QFETCH(int, index);
    QFETCH(QString, fixId);
    QFETCH(QString, fixTitle);
    QFETCH(QStringList, commands);
    QFETCH(bool, needsAdmin);
    QFETCH(bool, fallbackAdmin);
    QFETCH(QString, successHint);
    Probes probes;
    probes.address = address;
    probes.anthropic = anthropic;
    auto runner = scripted(probes);
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    run.ctx.dnsServers = servers;
    run.ctx.service = service;
    const Finding f = run.checkDNS().value(index);

    QTEST(f.fixHint.value_or(QString()), "fixHint");
    VERIFY_FIX(f, fixId, fixTitle, commands, needsAdmin, fallbackAdmin, successHint);
}

QTEST_GUILESS_MAIN(TestCheckDNS)
#include "tst_checkdns.moc"
