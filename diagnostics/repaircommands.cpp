#include "diagnostics/repaircommands.h"

#include "diagnostics/makefinding.h"
#include "exec/shell.h"
#include "model/netconfig.h"

namespace brevik {

QStringList wifiRestartCommands(const NetContext &ctx)
{
    if (ctx.wifiPort.isEmpty())
        return {};
    const QString port = shellWord(ctx.wifiPort);
    return {QStringLiteral("networksetup -setairportpower ") + port + QStringLiteral(" off"),
            QStringLiteral("sleep 2"),
            QStringLiteral("networksetup -setairportpower ") + port + QStringLiteral(" on")};
}

QStringList resetIfaceCommands(const NetContext &ctx)
{
    // "ifconfig  down" with no device only prints its usage.
    if (ctx.iface.isEmpty())
        return wifiRestartCommands(ctx);
    const QString iface = shellWord(ctx.iface);
    return wifiRestartCommands(ctx) << QStringLiteral("ifconfig ") + iface + QStringLiteral(" down")
                                    << QStringLiteral("sleep 2")
                                    << QStringLiteral("ifconfig ") + iface + QStringLiteral(" up");
}

QStringList dhcpRenewCommands(const NetContext &ctx)
{
    // Without a default route there is no active interface; the Wi-Fi device is where a lease
    // would come from. "ipconfig set  BOOTP" with no device only fails behind a password, and a
    // tunnel takes its address from its VPN, never from DHCP.
    const QString device =
        ctx.iface.isEmpty() || isTunnelInterface(ctx.iface) ? ctx.wifiPort : ctx.iface;
    if (device.isEmpty())
        return {};
    const QString word = shellWord(device);
    return {QStringLiteral("ipconfig set ") + word + QStringLiteral(" BOOTP"),
            QStringLiteral("sleep 1"),
            QStringLiteral("ipconfig set ") + word + QStringLiteral(" DHCP")};
}

std::optional<FixAction> dhcpRenewFix(const NetContext &ctx, const QString &id,
                                      const QString &successHint)
{
    const QStringList commands = dhcpRenewCommands(ctx);
    if (commands.isEmpty())
        return std::nullopt;
    return makeRepair(id, QStringLiteral("续订 DHCP 租约"), commands, RepairRights::admin,
                      successHint);
}

QStringList disableAllProxyCommands(const NetContext &ctx)
{
    QStringList commands;
    for (const QString &service : ctx.allServices)
        commands << NetConfig::disableProxyCommands(service);
    return commands;
}

} // namespace brevik
