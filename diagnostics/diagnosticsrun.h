#pragma once

#include "model/finding.h"
#include "model/netcontext.h"

#include <QList>
#include <QStringList>

#include <optional>

// One scan: the network snapshot every check reads, and the ordered list of checks.
// The run keeps no progress and no findings; whoever drives it publishes those.
class DiagnosticsRun {
public:
    DiagnosticsRun() = default;

    // Gathers a snapshot of the machine's network configuration (fifteen commands in a
    // fixed order, a few more under a VPN or without a default route). Never fails: what a command
    // does not tell stays at its default.
    static NetContext buildContext();

    NetContext ctx;

    // The ten steps in execution order; each reads ctx when it runs, not when listed.
    QList<ScanStep> steps();

    QList<Finding> checkInterface();
    QList<Finding> checkGateway();
    QList<Finding> checkInternet();
    QList<Finding> checkDNS();
    QList<Finding> checkHTTPS();
    QList<Finding> checkProxy();
    QList<Finding> checkAI();
    QList<Finding> checkHosts();
    QList<Finding> checkSystem();
    QList<Finding> checkWebAccess();

    // Repair command builders shared by several checks.
    QStringList wifiRestartCommands() const;
    QStringList resetIfaceCommands() const;
    QStringList disableAllProxyCommands() const;
    // Renewal on the active interface, or on the Wi-Fi device when none is active or the active
    // one is a tunnel; empty when neither is known.
    QStringList dhcpRenewCommands() const;
    // The "续订 DHCP 租约" repair, which three findings offer under their own id and hint;
    // none when there is no device to renew.
    std::optional<FixAction> dhcpRenewFix(const QString &id, const QString &successHint) const;
};
