#pragma once

#include "sim/simulatedmac.h"

#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace brevik {

// A fresh simulated Mac of `scenario` under `root` whose stand-ins answer at once, so that a
// benchmark measures our work and the processes, not the scenario's pings.
std::optional<SimulatedMac> openInstantMac(const QTemporaryDir &root, const QString &scenario);
std::optional<SimulatedMac> openInstantHealthyMac(const QTemporaryDir &root);

// This process's environment as KEY=VALUE entries, with brevik pointed at the healthy Mac
// under the simulation root `root`.
QStringList healthyMacEnvironment(const QString &root);

} // namespace brevik
