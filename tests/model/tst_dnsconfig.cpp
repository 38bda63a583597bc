#include "model/dnsconfig.h"
#include "tests/support/testdata.h"

#include <QTest>

using namespace brevik;

using namespace Qt::StringLiterals;

namespace {

// "domain|servers|interface" for each resolver beside the default one.
QStringList outline(const QList<DnsResolver> &resolvers)
{
    QStringList list;
    for (const DnsResolver &resolver : resolvers)
        list << resolver.domain + '|' + resolver.nameservers.join(',') + '|' + resolver.iface;
    return list;
}

} // namespace

class TestDnsConfig : public QObject {
    Q_OBJECT

private slots:
    void readsResolverByResolver_data();
    void readsResolverByResolver();
};

void TestDnsConfig::readsResolverByResolver_data()
{
    QTest::addColumn<QString>("file"); // under tests/data/scutil; "" for no output at all
    QTest::addColumn<QStringList>("defaultServers");
    QTest::addColumn<QStringList>("supplemental");
    QTest::addColumn<QStringList>("vpnOnly");

    QTest::newRow("the VPN took the default, its servers scoped to utun0")
        << u"dns-vpn-took-default.txt"_s << QStringList{} << QStringList{} << QStringList{"utun0"};
    QTest::newRow("a VPN that sees every name first stands beside the default")
        << u"dns-utun-sees-all-first.txt"_s << QStringList{"8.8.8.8", "8.8.4.4"}
        << QStringList{"|10.83.200.1,fdbf:5677:c5d:e515::1|utun2"} << QStringList{};
    QTest::newRow("ppp's resolver ahead of the link's: the link's is the default")
        << u"dns-ppp-supplemental.txt"_s << QStringList{"10.0.2.1"}
        << QStringList{"|<dns1>,<dns2>|ppp0"} << QStringList{};
    QTest::newRow("split domains are not the Mac's servers")
        << u"dns-split-domains.txt"_s << QStringList{"192.0.2.1"}
        << QStringList{"dev.example.com|10.8.0.1,10.8.0.2|",
                       "sandbox.example.com|10.8.0.1,10.8.0.2|",
                       "services.example.com|10.8.0.1,10.8.0.2|"}
        << QStringList{};
    QTest::newRow("an IPv6 server keeps its colons, without indentation")
        << u"dns-ipv6-server-unindented.txt"_s
        << QStringList{"fe80::800c:67ff:fe1d:fd64%12d", "172.20.10.1"} << QStringList{}
        << QStringList{};
    QTest::newRow("no output") << u""_s << QStringList{} << QStringList{} << QStringList{};
}

void TestDnsConfig::readsResolverByResolver()
{
    QFETCH(QString, file);
    const DnsConfiguration config =
        parseDnsConfiguration(file.isEmpty() ? QString() : testData("scutil/" + file));
    QTEST(defaultServers(config), "defaultServers");
    QTEST(outline(supplementalResolvers(config)), "supplemental");
    QTEST(vpnOnlyDnsInterfaces(config), "vpnOnly");
}

QTEST_GUILESS_MAIN(TestDnsConfig)
#include "tst_dnsconfig.moc"
