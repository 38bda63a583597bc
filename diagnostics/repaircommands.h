#pragma once

#include "model/finding.h"
#include "model/netcontext.h"

#include <QList>
#include <QString>

#include <optional>

namespace brevik {

// Repairs that several checks offer, each built from the snapshot alone.

// Wi-Fi power off and on again; none without a Wi-Fi device.
QList<RepairOp> wifiRestartOps(const NetContext &ctx);
// The Wi-Fi restart, then the active interface down and up.
QList<RepairOp> resetIfaceOps(const NetContext &ctx);
// Renewal on the active interface, or on the Wi-Fi device when none is active or the active
// one is a tunnel; empty when neither is known.
QList<RepairOp> dhcpRenewOps(const NetContext &ctx);
// The "续订 DHCP 租约" repair, which three findings offer under their own id and hint;
// none when there is no device to renew.
std::optional<FixAction> dhcpRenewFix(const NetContext &ctx, const QString &id,
                                      const QString &successHint);
// Every proxy kind off on every service of the Mac.
QList<RepairOp> disableAllProxyOps(const NetContext &ctx);

} // namespace brevik
