#include "diagnostics/repaircommands.h"

#include "diagnostics/makefinding.h"
#include "model/netconfig.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(RepairCommands)
};

} // namespace

using namespace RepairOps;

QList<RepairOp> wifiRestartOps(const NetContext &ctx)
{
    if (ctx.wifiPort.isEmpty())
        return {};
    return {WifiPower{ctx.wifiPort, false}, Pause{2}, WifiPower{ctx.wifiPort, true}};
}

QList<RepairOp> resetIfaceOps(const NetContext &ctx)
{
    // "ifconfig  down" with no device only prints its usage.
    if (ctx.iface.isEmpty())
        return wifiRestartOps(ctx);
    return wifiRestartOps(ctx) << InterfaceLink{ctx.iface, false} << Pause{2}
                               << InterfaceLink{ctx.iface, true};
}

QList<RepairOp> dhcpRenewOps(const NetContext &ctx)
{
    // Without a default route there is no active interface; the Wi-Fi device is where a lease
    // would come from. "ipconfig set  BOOTP" with no device only fails behind a password, and a
    // tunnel takes its address from its VPN, never from DHCP.
    const QString device =
        ctx.iface.isEmpty() || isTunnelInterface(ctx.iface) ? ctx.wifiPort : ctx.iface;
    if (device.isEmpty())
        return {};
    return {AddressMode{device, false}, Pause{1}, AddressMode{device, true}};
}

std::optional<FixAction> dhcpRenewFix(const NetContext &ctx, const QString &id,
                                      const QString &successHint)
{
    const QList<RepairOp> ops = dhcpRenewOps(ctx);
    if (ops.isEmpty())
        return std::nullopt;
    return makeRepair(id, Texts::tr("续订 DHCP 租约"), ops, RepairRights::admin, successHint);
}

QList<RepairOp> disableAllProxyOps(const NetContext &ctx)
{
    QList<RepairOp> ops;
    for (const QString &service : ctx.allServices)
        ops << NetConfig::disableProxyOps(service);
    return ops;
}

} // namespace brevik
