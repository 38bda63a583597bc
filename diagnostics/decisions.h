#pragma once

#include "diagnostics/netverify.h"
#include "diagnostics/observations.h"
#include "model/finding.h"
#include "model/netcontext.h"

#include <QList>

namespace brevik {

// What each check concludes from the snapshot and what its probes saw. Nothing here runs a
// command or reads the clock: the same snapshot and observation give the same findings.

QList<Finding> decideInterface(const NetContext &ctx);
QList<Finding> decideGateway(const NetContext &ctx, const GatewayObservation &seen);
QList<Finding> decideInternet(const NetContext &ctx, const InternetObservation &seen);
QList<Finding> decideDNS(const NetContext &ctx, const DnsObservation &seen);
QList<Finding> decideHTTPS(const NetContext &ctx, const HttpsObservation &seen);
QList<Finding> decideProxy(const NetContext &ctx);
QList<Finding> decideAI(const NetContext &ctx, const AIObservation &seen);
QList<Finding> decideHosts(const NetContext &ctx, const HostsObservation &seen);
QList<Finding> decideSystem(const NetContext &ctx, const SystemObservation &seen);
QList<Finding> decideWebAccess(const NetContext &ctx, const NetVerifyResult &seen);

// The rows of the AI grid, in the order of the service table.
QList<AIStatus> aiStatuses(const AIObservation &seen);

} // namespace brevik
