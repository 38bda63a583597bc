#include "diagnostics/decisions.h"
#include "tests/diagnostics/findingcheck.h"

#include <QTest>

using namespace brevik;

using namespace Qt::StringLiterals;

class TestCheckDNS : public QObject {
    Q_OBJECT

private slots:
    void decision_data();
    void decision();
    void configurationAsResolved_data();
    void configurationAsResolved();
};

void TestCheckDNS::decision_data()
{
    QTest::addColumn<QStringList>("servers");
    QTest::addColumn<QString>("resolved");
    QTest::addColumn<QString>("anthropic"); // dig's answer, from tests/data/dig; "" for none
    QTest::addColumn<QString>("openai");
    QTest::addColumn<QStringList>("findings");
    QTest::addColumn<QString>("shown"); // in the last finding

    const QStringList lan{"192.168.1.1", "8.8.8.8"};
    const QString poisoned = QStringLiteral("以下 AI 域名被解析到无效地址：\n");
    QTest::newRow("two servers, resolving, clean answers")
        << lan << u"17.253.144.10"_s << u"normal.txt"_s << u"normal.txt"_s
        << QStringList{"dns-config-ok/ok -", "dns-resolve-ok/ok -"}
        << u"www.apple.com → 17.253.144.10"_s;
    QTest::newRow("no servers and no answer: both reported")
        << QStringList{} << u""_s << u""_s << u""_s
        << QStringList{"no-dns/error fix-no-dns fallback",
                       "dns-resolve-fail/error fix-dns-flush admin"}
        << u"域名解析失败（www.apple.com）\nDNS 查询没有返回结果。当前 DNS：无"_s;
    QTest::newRow("servers but no answer: the configuration stays reported")
        << lan << u""_s << u"normal.txt"_s << u"timed-out.txt"_s
        << QStringList{"dns-config-ok/ok -", "dns-resolve-fail/error fix-dns-flush admin"}
        << u"当前 DNS：192.168.1.1, 8.8.8.8"_s;
    QTest::newRow("CNAME then loopback: only the loopback line")
        << lan << u"17.253.144.10"_s << u"cname-then-loopback.txt"_s << u"normal.txt"_s
        << QStringList{"dns-config-ok/ok -", "dns-resolve-ok/ok -",
                       "dns-poisoned/warn fix-dns-poison admin"}
        << poisoned + "api.anthropic.com → 127.0.0.1";
    QTest::newRow("every bad line of both hosts, in order")
        << lan << u"17.253.144.10"_s << u"blackholed.txt"_s << u"blackholed.txt"_s
        << QStringList{"dns-config-ok/ok -", "dns-resolve-ok/ok -",
                       "dns-poisoned/warn fix-dns-poison admin"}
        << poisoned + "api.anthropic.com → 127.0.0.1\napi.anthropic.com → 0.0.0.0\n"
                      "api.openai.com → 127.0.0.1\napi.openai.com → 0.0.0.0";
    QTest::newRow("::1 and 0.0.0.1 pass, a padded loopback does not")
        << lan << u"17.253.144.10"_s << u"edge-answers.txt"_s << u"normal.txt"_s
        << QStringList{"dns-config-ok/ok -", "dns-resolve-ok/ok -",
                       "dns-poisoned/warn fix-dns-poison admin"}
        << poisoned + "api.anthropic.com → 127.0.0.2";
    QTest::newRow("a dig time-out is not pollution")
        << lan << u"17.253.144.10"_s << u"timed-out.txt"_s << u""_s
        << QStringList{"dns-config-ok/ok -", "dns-resolve-ok/ok -"} << u""_s;
}

void TestCheckDNS::decision()
{
    QFETCH(QStringList, servers);
    QFETCH(QString, resolved);
    QFETCH(QString, anthropic);
    QFETCH(QString, openai);
    QFETCH(QString, shown);
    NetContext ctx;
    ctx.dnsServers = servers;
    QStringList answers;
    for (const QString &file : {anthropic, openai})
        answers << (file.isEmpty() ? QString() : testData("dig/" + file).trimmed());
    const QList<Finding> findings = decideDNS(ctx, DnsObservation{resolved, answers});

    QTEST(outline(findings), "findings");
    VERIFY_SHOWN(findings.last(), shown);
    for (const Finding &f : findings)
        QCOMPARE(f.category, CheckCategory::dns);
}

void TestCheckDNS::configurationAsResolved_data()
{
    QTest::addColumn<QString>("scutil"); // under tests/data/scutil; "" for no output
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QString>("shown");

    QTest::newRow("only the VPN's scoped resolver has servers")
        << u"dns-vpn-took-default.txt"_s << u"dns-vpn-only/warn fix-no-dns fallback"_s
        << u"8.8.8.8, 8.8.4.4（utun0）"_s;
    QTest::newRow("split domains on a line of their own")
        << u"dns-split-domains.txt"_s << u"dns-config-ok/ok -"_s
        << u"DNS 服务器：192.0.2.1\n分流解析：dev.example.com → 10.8.0.1, 10.8.0.2；"_s;
    QTest::newRow("a VPN that sees every name first")
        << u"dns-utun-sees-all-first.txt"_s << u"dns-config-ok/ok -"_s
        << u"DNS 服务器：8.8.8.8, 8.8.4.4\n分流解析：所有域名先问 10.83.200.1"_s;
    QTest::newRow("no resolver at all") << u""_s << u"no-dns/error fix-no-dns fallback"_s << u""_s;
}

void TestCheckDNS::configurationAsResolved()
{
    QFETCH(QString, scutil);
    QFETCH(QString, shown);
    NetContext ctx;
    ctx.dns = parseDnsConfiguration(scutil.isEmpty() ? QString() : testData("scutil/" + scutil));
    ctx.dnsServers = defaultServers(ctx.dns);
    const QList<Finding> findings =
        decideDNS(ctx, DnsObservation{u"17.253.144.10"_s, {QString(), QString()}});
    QTEST(outline(findings).first(), "finding");
    VERIFY_SHOWN(findings.first(), shown);
}

QTEST_GUILESS_MAIN(TestCheckDNS)
#include "tst_checkdns.moc"
