#include "diagnostics/diagnosticsrun.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace Qt::StringLiterals;

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

} // namespace

class TestCheckDNS : public QObject {
    Q_OBJECT

private slots:
    void configurationAndResolution_data();
    void configurationAndResolution();
    void pollution_data();
    void pollution();
    void repairs();
};

void TestCheckDNS::configurationAndResolution_data()
{
    QTest::addColumn<QStringList>("servers");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("findings");
    QTest::addColumn<QString>("configShown");
    QTest::addColumn<QString>("resolveShown");

    QTest::newRow("two servers, resolving")
        << QStringList{"192.168.1.1", "8.8.8.8"} << u"17.253.144.10\n"_s
        << QStringList{"dns-config-ok/ok", "dns-resolve-ok/ok"}
        << u"DNS 服务器：192.168.1.1, 8.8.8.8"_s << u"www.apple.com → 17.253.144.10"_s;
    QTest::newRow("no servers and no answer")
        << QStringList{} << u""_s << QStringList{"no-dns/error", "dns-resolve-fail/error"} << u""_s
        << u"域名解析失败（www.apple.com）\nDNS 查询没有返回结果。当前 DNS：无"_s;
    QTest::newRow("servers but a blank answer")
        << QStringList{"192.168.1.1", "223.5.5.5"} << u" \n"_s
        << QStringList{"dns-config-ok/ok", "dns-resolve-fail/error"} << u""_s
        << u"当前 DNS：192.168.1.1, 223.5.5.5"_s;
}

void TestCheckDNS::configurationAndResolution()
{
    QFETCH(QStringList, servers);
    QFETCH(QString, address);
    QFETCH(QString, configShown);
    QFETCH(QString, resolveShown);
    Probes probes;
    probes.address = address;
    auto runner = scripted(probes);
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    run.ctx.dnsServers = servers;
    const QList<Finding> findings = run.checkDNS();

    QCOMPARE(sorted(runner->commands()), sorted({kResolve, kDigAnthropic, kDigOpenAI}));
    QTEST(outline(findings), "findings");
    VERIFY_SHOWN(findings.at(0), configShown);
    VERIFY_SHOWN(findings.at(1), resolveShown);
    for (const Finding &f : findings)
        QCOMPARE(f.category, CheckCategory::dns);
}

void TestCheckDNS::pollution_data()
{
    QTest::addColumn<QString>("anthropic");
    QTest::addColumn<QString>("openai");
    QTest::addColumn<QString>("detail"); // empty: no pollution finding

    const QString head = QStringLiteral("以下 AI 域名被解析到无效地址：\n");
    QTest::newRow("CNAME then loopback: only the loopback line")
        << u"api.anthropic.com.cdn.cloudflare.net.\n127.0.0.1\n"_s << u"162.159.140.245\n"_s
        << head + "api.anthropic.com → 127.0.0.1";
    QTest::newRow("both hosts, every bad line in order")
        << u"127.0.0.1\n0.0.0.0\n"_s << u"::\n"_s
        << head + "api.anthropic.com → 127.0.0.1\napi.anthropic.com → 0.0.0.0\n"
                  "api.openai.com → ::";
    QTest::newRow("::1 and 0.0.0.1 are not invalid") << u"::1\n"_s << u"0.0.0.1\n"_s << u""_s;
    QTest::newRow("the test is on the beginning of the line")
        << u"0.0.0.0.example.net.\n"_s << u"162.159.140.245\n"_s
        << head + "api.anthropic.com → 0.0.0.0.example.net.";
    QTest::newRow("blanks and tabs around an answer are trimmed")
        << u"104.18.32.47\n \t127.0.0.2 \n"_s << u"162.159.140.245\n"_s
        << head + "api.anthropic.com → 127.0.0.2";
    QTest::newRow("no answer or a dig time-out is not pollution")
        << u";; connection timed out; no servers could be reached\n"_s << u""_s << u""_s;
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
    QCOMPARE(findings.size(), detail.isEmpty() ? 2 : 3);
    if (!detail.isEmpty()) {
        QCOMPARE(outline(findings).last(), QStringLiteral("dns-poisoned/warn"));
        QCOMPARE(findings.last().detail, detail);
    }
}

void TestCheckDNS::repairs()
{
    // Everything wrong at once, on a service whose name needs quoting.
    Probes probes;
    probes.address.clear();
    probes.anthropic = QStringLiteral("0.0.0.0\n");
    auto runner = scripted(probes);
    ScopedRunner scope(runner);
    DiagnosticsRun run;
    run.ctx.service = QStringLiteral("USB 10/100/1000 LAN's");
    const QList<Finding> findings = run.checkDNS();

    const QString setDns = QStringLiteral(
        "networksetup -setdnsservers 'USB 10/100/1000 LAN'\\''s' 223.5.5.5 119.29.29.29");
    const QStringList flush{QStringLiteral("dscacheutil -flushcache"),
                            QStringLiteral("killall -HUP mDNSResponder"), setDns};
    QCOMPARE(findings.size(), 3);
    QCOMPARE(fixShape(findings[0]), QStringLiteral("fix-no-dns fallback"));
    QCOMPARE(fixCommands(findings[0]), QStringList{setDns});
    QCOMPARE(fixShape(findings[1]), QStringLiteral("fix-dns-flush admin"));
    QCOMPARE(fixCommands(findings[1]), flush);
    QCOMPARE(fixShape(findings[2]), QStringLiteral("fix-dns-poison admin"));
    QCOMPARE(fixCommands(findings[2]), flush);
}

QTEST_GUILESS_MAIN(TestCheckDNS)
#include "tst_checkdns.moc"
