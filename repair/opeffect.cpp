#include "repair/opeffect.h"

#include "model/editablefiles.h"
#include "model/overloaded.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(OpEffects)
};

using namespace RepairOps;

SettingKind settingOf(ProxyKind kind)
{
    switch (kind) {
    case ProxyKind::web:
        return SettingKind::webProxy;
    case ProxyKind::secureWeb:
        return SettingKind::secureWebProxy;
    case ProxyKind::socks:
        return SettingKind::socksProxy;
    case ProxyKind::automatic:
        return SettingKind::autoProxy;
    }
    return SettingKind::webProxy;
}

OpEffect setting(SettingKind kind, const QString &target, const QJsonValue &value)
{
    return {OpEffect::Type::setting, {{kind, target}, value}, {}, {}};
}

OpEffect oneTime(const QString &what)
{
    return {OpEffect::Type::oneTime, {}, {}, what};
}

} // namespace

namespace OpEffects {

OpEffect of(const RepairOp &op)
{
    return std::visit(
        Overloaded{
            [](const ProxyState &o) {
                return setting(settingOf(o.kind), o.service, QJsonObject{{"enabled", o.on}});
            },
            [](const ProxyServer &o) {
                return setting(settingOf(o.kind), o.service,
                               QJsonObject{{"enabled", true}, {"server", o.host}, {"port", o.port}});
            },
            [](const AutoProxyUrl &o) {
                return setting(SettingKind::autoProxy, o.service,
                               QJsonObject{{"enabled", true}, {"url", o.url}});
            },
            [](const BypassDomains &o) {
                return setting(SettingKind::bypassDomains, o.service,
                               QJsonArray::fromStringList(o.entries));
            },
            [](const DnsServers &o) {
                return setting(SettingKind::dnsServers, o.service,
                               QJsonArray::fromStringList(o.servers));
            },
            [](const Ipv6 &o) {
                return setting(SettingKind::ipv6, o.service,
                               o.automatic ? QStringLiteral("Automatic") : QStringLiteral("Off"));
            },
            [](const WifiPower &o) { return setting(SettingKind::wifiPower, o.device, o.on); },
            [](const Mtu &o) { return setting(SettingKind::mtu, o.interface, o.bytes); },
            [](const NetworkTime &o) { return setting(SettingKind::networkTime, {}, o.on); },
            [](const InterfaceLink &o) {
                return oneTime(Texts::tr("重置网络接口（%1）").arg(o.interface));
            },
            [](const AddressMode &o) {
                return oneTime(Texts::tr("续订 DHCP 租约（%1）").arg(o.device));
            },
            [](const FlushDnsCache &) { return oneTime(Texts::tr("刷新 DNS 缓存")); },
            [](const ReloadResolver &) {
                return oneTime(Texts::tr("重启 DNS 解析服务（mDNSResponder）"));
            },
            [](const SyncClock &) { return oneTime(Texts::tr("按网络时间校准系统时钟")); },
            [](const Pause &) { return OpEffect{}; },
            [](const EditFile &o) { return OpEffect{OpEffect::Type::file, {}, o.path, {}}; },
            [](const RestoreFile &o) { return OpEffect{OpEffect::Type::file, {}, o.path, {}}; },
        },
        op);
}

QList<SettingKey> changedSettings(const QList<RepairOp> &ops)
{
    QList<SettingKey> keys;
    for (const RepairOp &op : ops) {
        const OpEffect effect = of(op);
        if (effect.type == OpEffect::Type::setting && !keys.contains(effect.write.key))
            keys << effect.write.key;
    }
    return keys;
}

QJsonValue applied(const SettingKey &key, const QJsonValue &before, const QList<RepairOp> &ops)
{
    QJsonValue value = before;
    for (const RepairOp &op : ops) {
        const OpEffect effect = of(op);
        if (effect.type != OpEffect::Type::setting || !(effect.write.key == key))
            continue;
        if (!effect.write.value.isObject()) {
            value = effect.write.value;
            continue;
        }
        QJsonObject merged = value.toObject();
        const QJsonObject written = effect.write.value.toObject();
        for (auto field = written.begin(); field != written.end(); ++field)
            merged.insert(field.key(), field.value());
        value = merged;
    }
    return value;
}

bool shows(const QJsonValue &actual, const QJsonValue &expected)
{
    if (!expected.isObject())
        return actual == expected;
    const QJsonObject fields = expected.toObject();
    const QJsonObject shown = actual.toObject();
    for (auto field = fields.begin(); field != fields.end(); ++field) {
        if (shown.value(field.key()) != field.value())
            return false;
    }
    return true;
}

bool needsAdmin(const RepairOp &op)
{
    // The MTU, the network time, leases and links belong to the system; so does the hosts file.
    if (std::holds_alternative<Mtu>(op) || std::holds_alternative<NetworkTime>(op) ||
        std::holds_alternative<InterfaceLink>(op) || std::holds_alternative<AddressMode>(op))
        return true;
    const OpEffect effect = of(op);
    return effect.type == OpEffect::Type::file && effect.path == EditableFiles::kHostsFile;
}

} // namespace OpEffects

} // namespace brevik
