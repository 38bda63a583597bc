#include "model/tunnels.h"
#include "tests/support/testdata.h"

#include <QTest>

using namespace brevik;

using namespace Qt::StringLiterals;

class TestTunnels : public QObject {
    Q_OBJECT

private slots:
    void tunnelsInUse_data();
    void tunnelsInUse();
};

void TestTunnels::tunnelsInUse_data()
{
    QTest::addColumn<QString>("ifconfig"); // under tests/data/ifconfig
    QTest::addColumn<QString>("netstat");  // under tests/data/netstat
    QTest::addColumn<QStringList>("tunnels");

    QTest::newRow("the system's tunnels: link-local only, no route")
        << u"system-utuns-verbose.txt"_s << u"no-tunnel.txt"_s << QStringList{};
    QTest::newRow("their link-local IPv6 default routes count for nothing")
        << u"system-utuns-verbose.txt"_s << u"inet6-system-utuns.txt"_s << QStringList{};
    QTest::newRow("an IPv4 address")
        << u"tailscale-utun.txt"_s << u"no-tunnel.txt"_s << QStringList{"utun4"};
    QTest::newRow("a unique-local IPv6 address alone")
        << u"ula-only-utun.txt"_s << u"no-tunnel.txt"_s << QStringList{"utun10"};
    QTest::newRow("routes through a tunnel without an address")
        << u"system-utuns-verbose.txt"_s << u"vpn-subnets.txt"_s << QStringList{"utun4"};
    QTest::newRow("the default route through a tunnel")
        << u"system-utuns-verbose.txt"_s << u"wireguard-default.txt"_s << QStringList{"utun3"};
    QTest::newRow("no tunnel at all") << u"no-tunnel.txt"_s << u"no-tunnel.txt"_s << QStringList{};
}

void TestTunnels::tunnelsInUse()
{
    QFETCH(QString, ifconfig);
    QFETCH(QString, netstat);
    const QList<InterfaceAddresses> interfaces = parseInterfaces(testData("ifconfig/" + ifconfig));
    QTEST(brevik::tunnelsInUse(interfaces, routedInterfaces(testData("netstat/" + netstat))),
          "tunnels");
}

QTEST_GUILESS_MAIN(TestTunnels)
#include "tst_tunnels.moc"
