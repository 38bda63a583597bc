#include "repair/settingio.h"

#include "exec/shell.h"
#include "model/netconfig.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(SettingIO)
};

constexpr double kQueryTimeout = 10.0;

struct ServerKind {
    SettingKind kind;
    QString name; // as networksetup spells it after "-get" and "-set"
};

const QList<ServerKind> kServerKinds{
    {SettingKind::webProxy, QStringLiteral("webproxy")},
    {SettingKind::secureWebProxy, QStringLiteral("securewebproxy")},
    {SettingKind::socksProxy, QStringLiteral("socksfirewallproxy")},
};

const ServerKind *serverKind(SettingKind kind)
{
    for (const ServerKind &entry : kServerKinds) {
        if (entry.kind == kind)
            return &entry;
    }
    return nullptr;
}

// The value after "Key:" on the first line that starts with it.
std::optional<QString> field(const QStringList &lines, const QString &key)
{
    for (const QString &line : lines) {
        if (line.startsWith(key + QLatin1Char(':')))
            return line.mid(key.size() + 1).trimmed();
    }
    return std::nullopt;
}

std::optional<QString> captured(const QStringList &lines, const QString &pattern)
{
    const QRegularExpression expression(pattern);
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = expression.match(line);
        if (match.hasMatch())
            return match.captured(1);
    }
    return std::nullopt;
}

// "Enabled: Yes", "Server: 127.0.0.1", "Port: 7890"; an unset kind prints an empty server
// and port 0. The automatic proxy prints "URL: (null)" until it is given one.
std::optional<QJsonValue> proxyValue(const QStringList &lines, bool automatic)
{
    const std::optional<QString> enabled = field(lines, QStringLiteral("Enabled"));
    if (!enabled)
        return std::nullopt;
    QJsonObject value{{"enabled", *enabled == QLatin1String("Yes")}};
    if (automatic) {
        const QString url = field(lines, QStringLiteral("URL")).value_or(QString());
        value.insert(QStringLiteral("url"), url == QLatin1String("(null)") ? QString() : url);
    } else {
        value.insert(QStringLiteral("server"), field(lines, QStringLiteral("Server")).value_or(""));
        value.insert(QStringLiteral("port"), field(lines, QStringLiteral("Port")).value_or(""));
    }
    return value;
}

// One entry a line, or the tool's sentence for none: "There aren't any DNS Servers set on
// Wi-Fi." / "There aren't any bypass domains set on Wi-Fi."
QJsonValue listValue(const QStringList &lines)
{
    if (lines.size() == 1 && lines.first().startsWith(QLatin1String("There aren't any")))
        return QJsonArray();
    return QJsonArray::fromStringList(lines);
}

std::optional<QJsonValue> onOffValue(const std::optional<QString> &word)
{
    if (!word)
        return std::nullopt;
    return *word == QLatin1String("On");
}

std::optional<QJsonValue> parseLines(const SettingKey &key, const QStringList &lines)
{
    switch (key.kind) {
    case SettingKind::webProxy:
    case SettingKind::secureWebProxy:
    case SettingKind::socksProxy:
        return proxyValue(lines, false);
    case SettingKind::autoProxy:
        return proxyValue(lines, true);
    case SettingKind::bypassDomains:
    case SettingKind::dnsServers:
        return listValue(lines);
    case SettingKind::ipv6:
        // "IPv6: Automatic" among the lines of "-getinfo"; "IPv6 IP address: …" is another.
        if (const std::optional<QString> mode = field(lines, QStringLiteral("IPv6")))
            return *mode;
        return std::nullopt;
    case SettingKind::wifiPower: // "Wi-Fi Power (en0): On"
        return onOffValue(captured(lines, QStringLiteral("^Wi-Fi Power \\(.*\\): (On|Off)$")));
    case SettingKind::mtu: // "en0: flags=8863<UP,…> mtu 1500"
        if (const std::optional<QString> mtu = captured(lines, QStringLiteral(" mtu (\\d+)")))
            return mtu->toInt();
        return std::nullopt;
    case SettingKind::networkTime: // "Network Time: On"
        return onOffValue(captured(lines, QStringLiteral("^Network Time: (On|Off)$")));
    }
    return std::nullopt;
}

ProxyKind proxyKindOf(SettingKind kind)
{
    switch (kind) {
    case SettingKind::secureWebProxy:
        return ProxyKind::secureWeb;
    case SettingKind::socksProxy:
        return ProxyKind::socks;
    case SettingKind::autoProxy:
        return ProxyKind::automatic;
    default:
        return ProxyKind::web;
    }
}

QStringList strings(const QJsonArray &entries)
{
    QStringList list;
    for (const QJsonValue &entry : entries)
        list << entry.toString();
    return list;
}

// A proxy kind with a server (or the automatic proxy with a URL): writing the address
// switches the kind on, so the state follows it.
QList<RepairOp> restoreProxy(const SettingKey &key, const QJsonObject &wanted,
                             const QJsonObject &current, QStringList *limits)
{
    const bool automatic = key.kind == SettingKind::autoProxy;
    const ProxyKind kind = proxyKindOf(key.kind);
    const QStringList addressFields =
        automatic ? QStringList{QStringLiteral("url")}
                  : QStringList{QStringLiteral("server"), QStringLiteral("port")};
    bool addressDiffers = false;
    for (const QString &fieldName : addressFields)
        addressDiffers = addressDiffers || wanted.value(fieldName) != current.value(fieldName);
    const QString address =
        wanted.value(automatic ? QStringLiteral("url") : QStringLiteral("server")).toString();
    const bool enabled = wanted.value(QStringLiteral("enabled")).toBool();

    QList<RepairOp> ops;
    if (addressDiffers && !address.isEmpty()) {
        if (automatic)
            ops << RepairOps::AutoProxyUrl{key.target, address};
        else
            ops << RepairOps::ProxyServer{key.target, kind, address,
                                          wanted.value(QStringLiteral("port")).toString()};
        if (!enabled)
            ops << RepairOps::ProxyState{key.target, kind, false};
        return ops;
    }
    // networksetup can write an address but never remove one.
    if (addressDiffers && limits)
        *limits << Texts::tr("%1：修复前没有设置地址，修复写入的地址无法清除（该代理的开关已还原）")
                       .arg(SettingIO::label(key));
    if (enabled != current.value(QStringLiteral("enabled")).toBool())
        ops << RepairOps::ProxyState{key.target, kind, enabled};
    return ops;
}

} // namespace

namespace SettingIO {

QStringList lines(const QString &output)
{
    QStringList kept;
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            kept << trimmed;
    }
    return kept;
}

QString query(const SettingKey &key)
{
    const QString service = shellQuote(key.target);
    if (const ServerKind *kind = serverKind(key.kind))
        return QStringLiteral("networksetup -get") + kind->name + QLatin1Char(' ') + service;
    switch (key.kind) {
    case SettingKind::autoProxy:
        return QStringLiteral("networksetup -getautoproxyurl ") + service;
    case SettingKind::bypassDomains:
        return QStringLiteral("networksetup -getproxybypassdomains ") + service;
    case SettingKind::dnsServers:
        return QStringLiteral("networksetup -getdnsservers ") + service;
    case SettingKind::ipv6:
        return QStringLiteral("networksetup -getinfo ") + service;
    case SettingKind::wifiPower:
        return QStringLiteral("networksetup -getairportpower ") + shellWord(key.target);
    case SettingKind::mtu:
        return QStringLiteral("ifconfig ") + shellWord(key.target);
    case SettingKind::networkTime:
        return QStringLiteral("systemsetup -getusingnetworktime");
    default:
        return {};
    }
}

std::optional<QJsonValue> parse(const SettingKey &key, const ShellResult &result)
{
    // networksetup reports an unknown service ("Wi-Fi 2 is not a recognized network
    // service."), or a refusal ("** Error: …"), on standard output, at times with exit 0.
    if (!result.succeeded() || NetConfig::reportsError(result.output))
        return std::nullopt;
    return parseLines(key, lines(result.output));
}

std::optional<QJsonValue> read(const SettingKey &key)
{
    return parse(key, shell(query(key), kQueryTimeout));
}

QList<RepairOp> restore(const SettingKey &key, const QJsonValue &wanted,
                        const QJsonValue &current, QStringList *limits)
{
    if (current == wanted)
        return {};
    switch (key.kind) {
    case SettingKind::webProxy:
    case SettingKind::secureWebProxy:
    case SettingKind::socksProxy:
    case SettingKind::autoProxy:
        return restoreProxy(key, wanted.toObject(), current.toObject(), limits);
    case SettingKind::bypassDomains:
        return {RepairOps::BypassDomains{key.target, strings(wanted.toArray())}};
    case SettingKind::dnsServers:
        return {RepairOps::DnsServers{key.target, strings(wanted.toArray())}};
    case SettingKind::ipv6:
        if (wanted.toString() == QLatin1String("Automatic"))
            return {RepairOps::Ipv6{key.target, true}};
        if (wanted.toString() == QLatin1String("Off"))
            return {RepairOps::Ipv6{key.target, false}};
        // A manual address and its router are not in the record.
        if (limits)
            *limits << Texts::tr("%1：原为「%2」，需要在「系统设置 → 网络」中手动恢复")
                           .arg(label(key), wanted.toString());
        return {};
    case SettingKind::wifiPower:
        return {RepairOps::WifiPower{key.target, wanted.toBool()}};
    case SettingKind::mtu:
        return {RepairOps::Mtu{key.target, wanted.toInt()}};
    case SettingKind::networkTime:
        return {RepairOps::NetworkTime{wanted.toBool()}};
    }
    return {};
}

bool readBackAfterRepair(SettingKind kind)
{
    return serverKind(kind) || kind == SettingKind::autoProxy || kind == SettingKind::dnsServers;
}

QString label(const SettingKey &key)
{
    switch (key.kind) {
    case SettingKind::webProxy:
        return Texts::tr("「%1」的网页代理（HTTP）").arg(key.target);
    case SettingKind::secureWebProxy:
        return Texts::tr("「%1」的安全网页代理（HTTPS）").arg(key.target);
    case SettingKind::socksProxy:
        return Texts::tr("「%1」的 SOCKS 代理").arg(key.target);
    case SettingKind::autoProxy:
        return Texts::tr("「%1」的自动代理（PAC）").arg(key.target);
    case SettingKind::bypassDomains:
        return Texts::tr("「%1」的代理例外列表").arg(key.target);
    case SettingKind::dnsServers:
        return Texts::tr("「%1」的 DNS 服务器").arg(key.target);
    case SettingKind::ipv6:
        return Texts::tr("「%1」的 IPv6 设置").arg(key.target);
    case SettingKind::wifiPower:
        return Texts::tr("Wi-Fi 电源（%1）").arg(key.target);
    case SettingKind::mtu:
        return Texts::tr("接口 %1 的 MTU").arg(key.target);
    case SettingKind::networkTime:
        return Texts::tr("网络时间自动同步");
    }
    return {};
}

} // namespace SettingIO

} // namespace brevik
