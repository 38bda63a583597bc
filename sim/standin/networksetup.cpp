// networksetup: the network services, their proxies, DNS servers, Wi-Fi power and IPv6.

#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QJsonArray>

namespace brevik {

namespace {

// The proxy kinds as networksetup names them in its options, and their state keys.
const QList<QPair<QString, QString>> kProxyKinds{
    {QStringLiteral("webproxy"), QStringLiteral("web")},
    {QStringLiteral("securewebproxy"), QStringLiteral("secureweb")},
    {QStringLiteral("socksfirewallproxy"), QStringLiteral("socks")},
};

QString kindKey(const QString &option)
{
    for (const auto &[name, key] : kProxyKinds) {
        if (option == name)
            return key;
    }
    return {};
}

QStringList serviceOrder(const Sim &sim)
{
    return toStringList(sim.state().value(QStringLiteral("serviceOrder")));
}

QJsonObject service(const Sim &sim, const QString &name)
{
    return objectAt(sim.state(), {"services", name});
}

bool enabled(const QJsonObject &service)
{
    return service.value(QStringLiteral("enabled")).toBool(true);
}

// "** Error" goes to standard output: networksetup prints its errors there.
int notAService(const QString &name)
{
    out(name + QStringLiteral(" is not a recognized network service.\n"
                              "** Error: The parameters were not valid.\n"));
    return 4;
}

int badParameters()
{
    out(QStringLiteral("** Error: The parameters were not valid.\n"));
    return 4;
}

bool knownService(const Sim &sim, const QString &name)
{
    return serviceOrder(sim).contains(name) && !service(sim, name).isEmpty();
}

// Some macOS versions let only administrators change network settings.
bool mayChange(const Sim &sim)
{
    if (sim.admin() || !at(sim.state(), {"admin", "networksetupNeedsAdmin"}).toBool())
        return true;
    out(QStringLiteral("** Error: Command requires admin privileges.\n"));
    return false;
}

std::optional<bool> onOff(const QString &word)
{
    if (word.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

int listServices(const Sim &sim)
{
    QString text = QStringLiteral("An asterisk (*) denotes that a network service is disabled.\n");
    for (const QString &name : serviceOrder(sim))
        text += (enabled(service(sim, name)) ? QString() : QStringLiteral("*")) + name + '\n';
    out(text);
    return 0;
}

int listHardwarePorts(const Sim &sim)
{
    QString text;
    QStringList seen;
    for (const QString &name : serviceOrder(sim)) {
        const QJsonObject svc = service(sim, name);
        const QString device = svc.value(QStringLiteral("device")).toString();
        if (device.isEmpty() || seen.contains(device))
            continue;
        seen << device;
        text += QStringLiteral("\nHardware Port: %1\nDevice: %2\nEthernet Address: %3\n")
                    .arg(svc.value(QStringLiteral("hardwarePort")).toString(name), device,
                         at(sim.state(), {"interfaces", device, "ether"})
                             .toString(QStringLiteral("N/A")));
    }
    text += QStringLiteral("\nVLAN Configurations\n===================\n");
    out(text);
    return 0;
}

int listServiceOrder(const Sim &sim)
{
    QString text = QStringLiteral("An asterisk (*) denotes that a network service is disabled.\n");
    int number = 0;
    for (const QString &name : serviceOrder(sim)) {
        const QJsonObject svc = service(sim, name);
        const QString mark = enabled(svc) ? QString::number(++number) : QStringLiteral("*");
        text += QStringLiteral("(%1) %2\n(Hardware Port: %3, Device: %4)\n\n")
                    .arg(mark, name, svc.value(QStringLiteral("hardwarePort")).toString(name),
                         svc.value(QStringLiteral("device")).toString());
    }
    out(text);
    return 0;
}

int getProxy(const Sim &sim, const QString &serviceName, const QString &key)
{
    const QJsonObject proxy = objectAt(service(sim, serviceName), {"proxies", key});
    const int port = proxy.value(QStringLiteral("port")).toInt();
    out(QStringLiteral("Enabled: %1\nServer: %2\nPort: %3\nAuthenticated Proxy Enabled: 0\n")
            .arg(proxy.value(QStringLiteral("enabled")).toBool() ? "Yes" : "No",
                 proxy.value(QStringLiteral("server")).toString(), QString::number(port)));
    return 0;
}

int getAutoProxy(const Sim &sim, const QString &serviceName)
{
    const QJsonObject proxy = objectAt(service(sim, serviceName), {"proxies", "auto"});
    const QString url = proxy.value(QStringLiteral("url")).toString();
    out(QStringLiteral("URL: %1\nEnabled: %2\n")
            .arg(url.isEmpty() ? QStringLiteral("(null)") : url,
                 proxy.value(QStringLiteral("enabled")).toBool() ? "Yes" : "No"));
    return 0;
}

int getBypass(const Sim &sim, const QString &serviceName)
{
    const QStringList bypass =
        toStringList(service(sim, serviceName).value(QStringLiteral("bypass")));
    if (bypass.isEmpty())
        out(QStringLiteral("There aren't any bypass domains set on %1.\n").arg(serviceName));
    else
        out(bypass.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    return 0;
}

int getDns(const Sim &sim, const QString &serviceName)
{
    const QStringList servers =
        toStringList(service(sim, serviceName).value(QStringLiteral("dns")));
    if (servers.isEmpty())
        out(QStringLiteral("There aren't any DNS Servers set on %1.\n").arg(serviceName));
    else
        out(servers.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    return 0;
}

// "-getinfo": the service's addresses; the IPv6 line reads "Automatic" or "Off".
int getInfo(const Sim &sim, const QString &serviceName)
{
    const QJsonObject svc = service(sim, serviceName);
    const QString device = svc.value(QStringLiteral("device")).toString();
    const QJsonObject iface = objectAt(sim.state(), {"interfaces", device});
    const QString inet = iface.value(QStringLiteral("inet")).toString();
    bool ok = false;
    const quint32 mask = iface.value(QStringLiteral("netmask")).toString().toUInt(&ok, 16);
    const QString router = at(sim.state(), {"route", "interface"}).toString() == device
                               ? at(sim.state(), {"route", "gateway"}).toString()
                               : QString();
    QString text = QStringLiteral("DHCP Configuration\n");
    if (!inet.isEmpty()) {
        text += QStringLiteral("IP address: %1\nSubnet mask: %2.%3.%4.%5\nRouter: %6\n")
                    .arg(inet)
                    .arg(mask >> 24)
                    .arg((mask >> 16) & 0xff)
                    .arg((mask >> 8) & 0xff)
                    .arg(mask & 0xff)
                    .arg(router.isEmpty() ? QStringLiteral("none") : router);
    }
    const bool off = svc.value(QStringLiteral("ipv6")).toString() == QLatin1String("off");
    text += QStringLiteral("Client ID: \nIPv6: %1\nIPv6 IP address: none\nIPv6 Router: none\n")
                .arg(off ? QStringLiteral("Off") : QStringLiteral("Automatic"));
    const QString ether = iface.value(QStringLiteral("ether")).toString();
    if (!ether.isEmpty())
        text += (svc.value(QStringLiteral("hardwarePort")).toString() == QLatin1String("Wi-Fi")
                     ? QStringLiteral("Wi-Fi ID: ")
                     : QStringLiteral("Ethernet Address: ")) +
                ether + QLatin1Char('\n');
    out(text);
    return 0;
}

int changeService(Sim &sim, const QString &serviceName,
                  const std::function<void(QJsonObject &)> &change)
{
    if (!mayChange(sim))
        return 14;
    return sim.update([&](QJsonObject &state) {
        QJsonObject svc = objectAt(state, {"services", serviceName});
        change(svc);
        setAt(state, {"services", serviceName}, svc);
        return true;
    })
               ? 0
               : 1;
}

int airportPower(Sim &sim, const QStringList &args, bool set)
{
    const QString device = args.value(0);
    const QJsonObject wifi = sim.state().value(QStringLiteral("wifi")).toObject();
    if (wifi.value(QStringLiteral("device")).toString() != device || device.isEmpty()) {
        out(device +
            QStringLiteral(
                " is not a Wi-Fi interface.\n** Error: Error obtaining wireless information.\n"));
        return 10;
    }
    if (!set) {
        out(QStringLiteral("Wi-Fi Power (%1): %2\n")
                .arg(device, wifi.value(QStringLiteral("power")).toBool(true) ? "On" : "Off"));
        return 0;
    }
    const std::optional<bool> power = onOff(args.value(1));
    if (!power)
        return badParameters();
    if (!mayChange(sim))
        return 14;
    return sim.update([&](QJsonObject &state) {
        setAt(state, {"wifi", "power"}, *power);
        return true;
    })
               ? 0
               : 1;
}

} // namespace

int networksetupMain(Sim &sim, const QStringList &args)
{
    const QString option = args.value(0).toLower();
    const QStringList rest = args.mid(1);
    if (option == QLatin1String("-listallnetworkservices"))
        return listServices(sim);
    if (option == QLatin1String("-listallhardwareports"))
        return listHardwarePorts(sim);
    if (option == QLatin1String("-listnetworkserviceorder"))
        return listServiceOrder(sim);
    if (option == QLatin1String("-getairportpower") || option == QLatin1String("-setairportpower"))
        return airportPower(sim, rest, option.startsWith(QLatin1String("-set")));

    // Everything else names a service first.
    if (!option.startsWith(QLatin1String("-get")) && !option.startsWith(QLatin1String("-set"))) {
        out(QStringLiteral("networksetup: unknown option %1 in the simulated Mac\n")
                .arg(args.value(0)));
        return 1;
    }
    if (rest.isEmpty())
        return badParameters();
    const QString name = rest.first();
    if (!knownService(sim, name))
        return notAService(name);
    const QStringList values = rest.mid(1);
    const QString verb = option.mid(4); // after "-get" / "-set"
    const bool set = option.startsWith(QLatin1String("-set"));

    if (!set) {
        if (!kindKey(verb).isEmpty())
            return getProxy(sim, name, kindKey(verb));
        if (verb == QLatin1String("autoproxyurl"))
            return getAutoProxy(sim, name);
        if (verb == QLatin1String("proxybypassdomains"))
            return getBypass(sim, name);
        if (verb == QLatin1String("dnsservers"))
            return getDns(sim, name);
        if (verb == QLatin1String("info"))
            return getInfo(sim, name);
        if (verb == QLatin1String("networkserviceenabled")) {
            out(enabled(service(sim, name)) ? QStringLiteral("Enabled\n")
                                            : QStringLiteral("Disabled\n"));
            return 0;
        }
        return badParameters();
    }

    if (!kindKey(verb).isEmpty()) {
        // -setwebproxy S HOST PORT [on|off USER PASSWORD]: also switches the kind on.
        bool portOk = false;
        const int port = values.value(1).toInt(&portOk);
        if (values.size() < 2 || !portOk)
            return badParameters();
        return changeService(sim, name, [&](QJsonObject &svc) {
            setAt(svc, {"proxies", kindKey(verb)},
                  QJsonObject{{"enabled", true}, {"server", values.at(0)}, {"port", port}});
        });
    }
    if (verb.endsWith(QLatin1String("state"))) {
        const QString kind = verb.chopped(5);
        const QString key =
            kind == QLatin1String("autoproxy") ? QStringLiteral("auto") : kindKey(kind);
        const std::optional<bool> on = onOff(values.value(0));
        if (key.isEmpty() || !on)
            return badParameters();
        return changeService(sim, name, [&](QJsonObject &svc) {
            setAt(svc, {"proxies", key, "enabled"}, *on);
        });
    }
    if (verb == QLatin1String("autoproxyurl")) {
        if (values.isEmpty())
            return badParameters();
        return changeService(sim, name, [&](QJsonObject &svc) {
            setAt(svc, {"proxies", "auto"},
                  QJsonObject{{"enabled", true}, {"url", values.first()}});
        });
    }
    if (verb == QLatin1String("proxybypassdomains") || verb == QLatin1String("dnsservers")) {
        if (values.isEmpty())
            return badParameters();
        // "Empty" clears the list.
        const bool clear = values.size() == 1 && values.first() == QLatin1String("Empty");
        const QString key =
            verb == QLatin1String("dnsservers") ? QStringLiteral("dns") : QStringLiteral("bypass");
        return changeService(sim, name, [&](QJsonObject &svc) {
            svc.insert(key, clear ? QJsonArray() : QJsonArray::fromStringList(values));
        });
    }
    if (verb == QLatin1String("v6off") || verb == QLatin1String("v6automatic")) {
        return changeService(sim, name, [&](QJsonObject &svc) {
            svc.insert(QStringLiteral("ipv6"),
                       verb == QLatin1String("v6off") ? "off" : "automatic");
        });
    }
    if (verb == QLatin1String("networkserviceenabled")) {
        const std::optional<bool> on = onOff(values.value(0));
        if (!on)
            return badParameters();
        return changeService(sim, name,
                             [&](QJsonObject &svc) { svc.insert(QStringLiteral("enabled"), *on); });
    }
    return badParameters();
}

} // namespace brevik
