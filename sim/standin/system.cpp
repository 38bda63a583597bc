// system_profiler (Wi-Fi), socketfilterfw (firewall), systemsetup and sntp (network time).

#include "sim/standin/network.h"
#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QJsonArray>

namespace brevik {

namespace {

QString networkBlock(const QJsonObject &net, const QString &indent, bool current)
{
    QString text = indent + net.value(QStringLiteral("ssid")).toString() + QStringLiteral(":\n");
    const QString inner = indent + QStringLiteral("  ");
    text += inner + QStringLiteral("PHY Mode: ") +
            net.value(QStringLiteral("phyMode")).toString(QStringLiteral("802.11ax")) + '\n';
    text += inner + QStringLiteral("Channel: ") +
            net.value(QStringLiteral("channel")).toString(QStringLiteral("149 (5GHz, 80MHz)")) +
            '\n';
    if (current) {
        text += inner + QStringLiteral("Country Code: CN\n");
        text += inner + QStringLiteral("Network Type: Infrastructure\n");
        text += inner + QStringLiteral("Security: ") +
                net.value(QStringLiteral("security")).toString(QStringLiteral("WPA2 Personal")) +
                '\n';
    }
    text += inner + QStringLiteral("Signal / Noise: %1 dBm / %2 dBm\n")
                        .arg(net.value(QStringLiteral("signal")).toInt(-60))
                        .arg(net.value(QStringLiteral("noise")).toInt(-94));
    if (current) {
        text += inner + QStringLiteral("Transmit Rate: %1\n")
                            .arg(net.value(QStringLiteral("txRate")).toInt(866));
        text += inner +
                QStringLiteral("MCS Index: %1\n").arg(net.value(QStringLiteral("mcs")).toInt(9));
    }
    return text;
}

// State 2 is "Block all incoming connections" in the firewall's options.
QString globalState(const QJsonObject &state)
{
    const QJsonObject firewall = state.value(QStringLiteral("firewall")).toObject();
    if (!firewall.value(QStringLiteral("enabled")).toBool())
        return QStringLiteral("Firewall is disabled. (State = 0)\n");
    if (firewall.value(QStringLiteral("blockAll")).toBool())
        return QStringLiteral(
            "Firewall is blocking all non-essential incoming connections. (State = 2)\n");
    return QStringLiteral("Firewall is enabled. (State = 1)\n");
}

bool rootOnly(const Sim &sim, const QString &message)
{
    if (sim.admin())
        return true;
    err(message);
    return false;
}

} // namespace

int systemProfilerMain(Sim &sim, const QStringList &args)
{
    if (!args.contains(QStringLiteral("SPAirPortDataType")))
        return 0; // other data types: nothing known about them
    const QJsonObject wifi = sim.state().value(QStringLiteral("wifi")).toObject();
    if (wifi.isEmpty())
        return 0;
    const QString device = wifi.value(QStringLiteral("device")).toString();
    const bool power = wifi.value(QStringLiteral("power")).toBool(true);
    const bool associated = power && !wifi.value(QStringLiteral("ssid")).toString().isEmpty() &&
                            Net::interfaceActive(sim.state(), device);
    QString text = QStringLiteral("Wi-Fi:\n\n"
                                  "      Software Versions:\n"
                                  "          CoreWLAN: 16.0 (1657)\n"
                                  "      Interfaces:\n");
    text += QStringLiteral("        %1:\n").arg(device);
    text += QStringLiteral("          Card Type: Wi-Fi  (0x14E4, 0x4378)\n");
    text += QStringLiteral("          MAC Address: %1\n")
                .arg(at(sim.state(), {"interfaces", device, "ether"}).toString());
    text += QStringLiteral("          Supported PHY Modes: 802.11 a/b/g/n/ac/ax\n");
    text += QStringLiteral("          Status: %1\n")
                .arg(!power       ? "Off"
                     : associated ? "Connected"
                                  : "On");
    if (associated) {
        text += QStringLiteral("          Current Network Information:\n");
        text += networkBlock(wifi, QStringLiteral("            "), true);
    }
    const QJsonArray neighbours = wifi.value(QStringLiteral("neighbours")).toArray();
    if (power && !neighbours.isEmpty()) {
        text += QStringLiteral("          Other Local Wi-Fi Networks:\n");
        for (const auto &value : neighbours)
            text += networkBlock(value.toObject(), QStringLiteral("            "), false);
    }
    out(text);
    return 0;
}

int socketfilterfwMain(Sim &sim, const QStringList &args)
{
    const QString option = args.value(0);
    if (option == QLatin1String("--getglobalstate")) {
        out(globalState(sim.state()));
        return 0;
    }
    if (option == QLatin1String("--setglobalstate")) {
        if (!rootOnly(sim, QStringLiteral("Must be root to change settings.\n")))
            return 1;
        const bool on = args.value(1) == QLatin1String("on");
        if (!sim.update([&](QJsonObject &state) {
                setAt(state, {"firewall", "enabled"}, on);
                return true;
            }))
            return 1;
        out(globalState(sim.state()));
        return 0;
    }
    err(QStringLiteral("socketfilterfw: %1 is not simulated\n").arg(option));
    return 1;
}

int systemsetupMain(Sim &sim, const QStringList &args)
{
    const QString option = args.value(0).toLower();
    if (option == QLatin1String("-getusingnetworktime")) {
        out(QStringLiteral("Network Time: %1\n")
                .arg(at(sim.state(), {"networkTime"}).toBool(true) ? "On" : "Off"));
        return 0;
    }
    if (option == QLatin1String("-setusingnetworktime")) {
        if (!rootOnly(sim, QStringLiteral(
                               "You need administrator access to run this tool... exiting!\n")))
            return 1;
        const bool on = args.value(1).compare(QLatin1String("on"), Qt::CaseInsensitive) == 0;
        if (!sim.update([&](QJsonObject &state) {
                state.insert(QStringLiteral("networkTime"), on);
                return true;
            }))
            return 1;
        out(QStringLiteral("setUsingNetworkTime: %1\n").arg(on ? "On" : "Off"));
        return 0;
    }
    err(QStringLiteral("systemsetup: %1 is not simulated\n").arg(args.value(0)));
    return 1;
}

int sntpMain(Sim &sim, const QStringList &args)
{
    bool set = false;
    QString server;
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1Char('-')))
            set = set || arg.contains(QLatin1Char('s')) || arg.contains(QLatin1Char('S'));
        else
            server = arg;
    }
    const QJsonObject &state = sim.state();
    const Net::Addresses addresses = Net::resolve(sim, server);
    if (addresses.v4.isEmpty() || Net::uplink(state) != QLatin1String("ok")) {
        sim.wait(addresses.v4.isEmpty() ? 0.1 : 5.0);
        err(QStringLiteral("sntp: Exchange failed: Timeout\n"));
        return 1;
    }
    if (set && !rootOnly(sim, QStringLiteral("sntp: clock_settime: Operation not permitted\n")))
        return 1;
    // The offset is the server's time minus ours.
    const double offset = -state.value(QStringLiteral("clockOffsetSeconds")).toDouble() + 0.012345;
    sim.wait(0.05);
    out(QStringLiteral("%1 +/- 0.021 %2 %3\n")
            .arg(offset >= 0 ? QStringLiteral("+") + QString::number(offset, 'f', 6)
                             : QString::number(offset, 'f', 6))
            .arg(server, addresses.v4.first()));
    if (set) {
        return sim.update([](QJsonObject &state) {
            state.insert(QStringLiteral("clockOffsetSeconds"), 0);
            return true;
        })
                   ? 0
                   : 1;
    }
    return 0;
}

} // namespace brevik
