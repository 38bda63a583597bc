// What the snapshot and the hosts check cost as the Mac grows. A scripted Mac of size N
// (N network services, N proxy client processes, N listening ports, N DNS servers, N
// hardware ports; a hosts file of N lines blocking names of a watched domain) is read at
// size 2N and at size N, paired in random order: the ratio is what doubling the machine
// costs. Linear work doubles (2), work that compares every line with every other line
// quadruples (4).
//
//   bench_growth [N-SNAPSHOT] [N-HOSTS] [PAIRS]
#include "bench/benchsupport.h"
#include "diagnostics/diagnosticsrun.h"
#include "exec/runner.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace brevik;

namespace {

// Answers every command of the snapshot and the hosts check for a Mac of the given size,
// at once and from memory, so that only our own reading of the output is measured.
class GrowingMac : public Runner {
public:
    explicit GrowingMac(int size) : m_size(size)
    {
        QString services = QStringLiteral("An asterisk (*) denotes that a network service is "
                                          "disabled.\n");
        QString ports;
        QString clients;
        QString dns = QStringLiteral("DNS configuration\n\nresolver #1\n");
        QString hardware;
        QString hosts;
        for (int i = 0; i < size; ++i) {
            const QString n = QString::number(i);
            services += QStringLiteral("USB 10/100/1000 LAN ") + n + QLatin1Char('\n');
            hardware += QStringLiteral("\nHardware Port: USB 10/100/1000 LAN ") + n +
                        QStringLiteral("\nDevice: en") + QString::number(i + 10) +
                        QStringLiteral("\nEthernet Address: 6a:2c:1f:00:11:22\n");
            clients += QStringLiteral("%1 /Applications/ClashClient%2.app/Contents/MacOS/"
                                      "clash-client-%2\n")
                           .arg(1000 + i)
                           .arg(i);
            ports += QString::number(10000 + i) + QLatin1Char(' ');
            dns +=
                QStringLiteral("  nameserver[%1] : 10.%2.%3.1\n").arg(i).arg(i / 256).arg(i % 256);
            hosts += QStringLiteral("0.0.0.0 ad") + n + QStringLiteral(".tracker.qq.com\n");
        }
        m_answers = {
            {QStringLiteral("networksetup -listallnetworkservices"), services},
            {QStringLiteral("networksetup -listallhardwareports"), hardware},
            {QStringLiteral("ps -Ao"), clients},
            {QStringLiteral("lsof"), ports},
            {QStringLiteral("scutil --dns"), dns},
            {QStringLiteral("grep -av '^#' /etc/hosts"), hosts},
            {QStringLiteral("route -n get default"),
             QStringLiteral("    gateway: 192.168.1.1\n  interface: en10\n")},
            {QStringLiteral("ipconfig getifaddr"), QStringLiteral("192.168.1.23\n")},
            {QStringLiteral("networksetup -getwebproxy"),
             QStringLiteral("Enabled: Yes\nServer: 127.0.0.1\nPort: 7890\n"
                            "Authenticated Proxy Enabled: 0\n")},
            {QStringLiteral("networksetup -getproxybypassdomains"),
             QStringLiteral("127.0.0.1\nlocalhost\n*.local\n")},
        };
    }

    ShellResult run(const QString &command, double) override
    {
        for (const auto &[start, output] : m_answers) {
            if (command.startsWith(start))
                return {0, output};
        }
        return {1, QString()};
    }

    int size() const { return m_size; }

private:
    int m_size;
    QList<QPair<QString, QString>> m_answers;
};

double msOn(const std::shared_ptr<GrowingMac> &mac, const std::function<void()> &work)
{
    ScopedRunner scope(mac);
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

void measure(const char *what, int size, int pairs, const std::function<void()> &work)
{
    const auto small = std::make_shared<GrowingMac>(size);
    const auto large = std::make_shared<GrowingMac>(2 * size);
    const PairedRuns runs = runPaired(
        pairs, [&] { return msOn(large, work); }, [&] { return msOn(small, work); });
    std::printf("%s\n", what);
    printPaired(qPrintable(QStringLiteral("size %1").arg(2 * size)),
                qPrintable(QStringLiteral("size %1").arg(size)), "ms", runs,
                "median <= 2.5: twice the Mac, twice the cost");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int snapshotSize = argc > 1 ? std::atoi(argv[1]) : 4000;
    const int hostsSize = argc > 2 ? std::atoi(argv[2]) : 50000;
    const int pairs = argc > 3 ? std::atoi(argv[3]) : 15;
    measure("snapshot (buildContext): services, clients, ports, DNS servers, hardware ports",
            snapshotSize, pairs, [] { DiagnosticsRun::buildContext(); });
    measure("hosts check: lines blocking names of a watched domain", hostsSize, pairs, [] {
        DiagnosticsRun run;
        run.checkHosts();
    });
    return 0;
}
