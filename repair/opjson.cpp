#include "repair/opjson.h"

#include "model/editablefiles.h"
#include "model/overloaded.h"
#include "repair/recordvalues.h"

#include <QJsonArray>

namespace brevik {

namespace {

using namespace RepairOps;

const QList<QPair<ProxyKind, QString>> kProxyNames{
    {ProxyKind::web, QStringLiteral("web")},
    {ProxyKind::secureWeb, QStringLiteral("secure-web")},
    {ProxyKind::socks, QStringLiteral("socks")},
    {ProxyKind::automatic, QStringLiteral("auto")},
};

QString proxyName(ProxyKind kind)
{
    for (const auto &[value, name] : kProxyNames) {
        if (value == kind)
            return name;
    }
    return {};
}

std::optional<ProxyKind> proxyKind(const QJsonValue &value)
{
    for (const auto &[kind, name] : kProxyNames) {
        if (value.toString() == name)
            return kind;
    }
    return std::nullopt;
}

std::optional<QStringList> strings(const QJsonValue &value, bool (*fits)(const QString &))
{
    if (!value.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue &item : value.toArray()) {
        if (!item.isString() || !fits(item.toString()))
            return std::nullopt;
        list << item.toString();
    }
    return list;
}

bool isExpression(const QString &text)
{
    return !text.isEmpty() && RecordValues::isPlainText(text, 4096);
}

std::optional<int> integer(const QJsonValue &value, int lowest, int highest)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != double(qint64(number)) || number < lowest || number > highest)
        return std::nullopt;
    return int(number);
}

} // namespace

namespace OpJson {

QJsonObject toJson(const RepairOp &op)
{
    return std::visit(
        Overloaded{
            [](const ProxyState &o) {
                return QJsonObject{{"op", "proxy-state"},
                                   {"service", o.service},
                                   {"proxy", proxyName(o.kind)},
                                   {"on", o.on}};
            },
            [](const ProxyServer &o) {
                return QJsonObject{{"op", "proxy-server"}, {"service", o.service},
                                   {"proxy", proxyName(o.kind)}, {"host", o.host},
                                   {"port", o.port}};
            },
            [](const AutoProxyUrl &o) {
                return QJsonObject{{"op", "auto-proxy-url"}, {"service", o.service}, {"url", o.url}};
            },
            [](const BypassDomains &o) {
                return QJsonObject{{"op", "bypass"},
                                   {"service", o.service},
                                   {"entries", QJsonArray::fromStringList(o.entries)}};
            },
            [](const DnsServers &o) {
                return QJsonObject{{"op", "dns"},
                                   {"service", o.service},
                                   {"servers", QJsonArray::fromStringList(o.servers)}};
            },
            [](const Ipv6 &o) {
                return QJsonObject{{"op", "ipv6"}, {"service", o.service}, {"automatic", o.automatic}};
            },
            [](const WifiPower &o) {
                return QJsonObject{{"op", "wifi-power"}, {"device", o.device}, {"on", o.on}};
            },
            [](const Mtu &o) {
                return QJsonObject{{"op", "mtu"}, {"interface", o.interface}, {"bytes", o.bytes}};
            },
            [](const NetworkTime &o) { return QJsonObject{{"op", "network-time"}, {"on", o.on}}; },
            [](const InterfaceLink &o) {
                return QJsonObject{{"op", "interface-link"}, {"interface", o.interface}, {"up", o.up}};
            },
            [](const AddressMode &o) {
                return QJsonObject{{"op", "address-mode"}, {"device", o.device}, {"dhcp", o.dhcp}};
            },
            [](const FlushDnsCache &) { return QJsonObject{{"op", "flush-dns-cache"}}; },
            [](const ReloadResolver &) { return QJsonObject{{"op", "reload-resolver"}}; },
            [](const SyncClock &o) { return QJsonObject{{"op", "sync-clock"}, {"server", o.server}}; },
            [](const Pause &o) { return QJsonObject{{"op", "pause"}, {"seconds", o.seconds}}; },
            [](const EditFile &o) {
                return QJsonObject{{"op", "edit-file"},
                                   {"path", o.path},
                                   {"sed", QJsonArray::fromStringList(o.sedExpressions)}};
            },
            [](const RestoreFile &o) {
                return QJsonObject{{"op", "restore-file"},
                                   {"path", o.path},
                                   {"backup", o.backup},
                                   {"backupChecksum", o.backupChecksum}};
            },
        },
        op);
}

std::optional<RepairOp> fromJson(const QJsonObject &object, const QString &home)
{
    const QString op = object.value(QStringLiteral("op")).toString();
    const QString service = object.value(QStringLiteral("service")).toString();
    const bool serviceFits = RecordValues::isServiceName(service);
    const QJsonValue on = object.value(QStringLiteral("on"));
    const std::optional<ProxyKind> kind = proxyKind(object.value(QStringLiteral("proxy")));

    if (op == QLatin1String("proxy-state") && serviceFits && kind && on.isBool())
        return ProxyState{service, *kind, on.toBool()};
    if (op == QLatin1String("proxy-server") && serviceFits && kind && *kind != ProxyKind::automatic) {
        const QString host = object.value(QStringLiteral("host")).toString();
        const std::optional<QString> port =
            RecordValues::recordedPort(object.value(QStringLiteral("port")));
        if (RecordValues::isHost(host) && port && RecordValues::isPort(*port))
            return ProxyServer{service, *kind, host, *port};
        return std::nullopt;
    }
    if (op == QLatin1String("auto-proxy-url") && serviceFits) {
        const QString url = object.value(QStringLiteral("url")).toString();
        if (RecordValues::isUrl(url))
            return AutoProxyUrl{service, url};
        return std::nullopt;
    }
    if (op == QLatin1String("bypass") && serviceFits) {
        if (const auto entries = strings(object.value(QStringLiteral("entries")),
                                         RecordValues::isListEntry))
            return BypassDomains{service, *entries};
        return std::nullopt;
    }
    if (op == QLatin1String("dns") && serviceFits) {
        if (const auto servers =
                strings(object.value(QStringLiteral("servers")), RecordValues::isAddress))
            return DnsServers{service, *servers};
        return std::nullopt;
    }
    if (op == QLatin1String("ipv6") && serviceFits &&
        object.value(QStringLiteral("automatic")).isBool())
        return Ipv6{service, object.value(QStringLiteral("automatic")).toBool()};

    const QString device = object.value(QStringLiteral("device")).toString();
    const QString interface = object.value(QStringLiteral("interface")).toString();
    if (op == QLatin1String("wifi-power") && RecordValues::isDevice(device) && on.isBool())
        return WifiPower{device, on.toBool()};
    if (op == QLatin1String("mtu") && RecordValues::isDevice(interface)) {
        if (const std::optional<int> bytes = integer(object.value(QStringLiteral("bytes")), 68, 65535))
            return Mtu{interface, *bytes};
        return std::nullopt;
    }
    if (op == QLatin1String("network-time") && on.isBool())
        return NetworkTime{on.toBool()};
    if (op == QLatin1String("interface-link") && RecordValues::isDevice(interface) &&
        object.value(QStringLiteral("up")).isBool())
        return InterfaceLink{interface, object.value(QStringLiteral("up")).toBool()};
    if (op == QLatin1String("address-mode") && RecordValues::isDevice(device) &&
        object.value(QStringLiteral("dhcp")).isBool())
        return AddressMode{device, object.value(QStringLiteral("dhcp")).toBool()};
    if (op == QLatin1String("flush-dns-cache"))
        return FlushDnsCache{};
    if (op == QLatin1String("reload-resolver"))
        return ReloadResolver{};
    if (op == QLatin1String("sync-clock")) {
        const QString server = object.value(QStringLiteral("server")).toString();
        if (RecordValues::isHost(server))
            return SyncClock{server};
        return std::nullopt;
    }
    if (op == QLatin1String("pause")) {
        if (const std::optional<int> seconds = integer(object.value(QStringLiteral("seconds")), 0, 60))
            return Pause{*seconds};
        return std::nullopt;
    }

    const QString path = object.value(QStringLiteral("path")).toString();
    if (!EditableFiles::isEditable(path, home))
        return std::nullopt;
    if (op == QLatin1String("edit-file")) {
        if (const auto expressions = strings(object.value(QStringLiteral("sed")), isExpression))
            return EditFile{path, *expressions};
        return std::nullopt;
    }
    if (op == QLatin1String("restore-file")) {
        const QString backup = object.value(QStringLiteral("backup")).toString();
        const QString checksum = object.value(QStringLiteral("backupChecksum")).toString();
        if (EditableFiles::isBackupOf(backup, path) && RecordValues::isChecksum(checksum))
            return RestoreFile{path, backup, checksum};
    }
    return std::nullopt;
}

} // namespace OpJson

} // namespace brevik
