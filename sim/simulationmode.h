#pragma once

#include <QString>

namespace brevik {

// Switches the process onto a simulated Mac when the environment asks for it:
// BREVIK_SIMULATE=NAME|PATH picks the scenario, BREVIK_SIM_FRESH=1 makes its folder
// afresh. Built for anything but macOS, the process runs on the "residual-proxy" Mac when
// nothing is asked, and `note` says so in one line. Returns false, with `error`, for a
// scenario that cannot be opened. On a Mac without BREVIK_SIMULATE nothing changes.
// `scenario` gets the simulated Mac's name, and stays empty on the real Mac.
bool enterSimulationFromEnvironment(QString *note, QString *error, QString *scenario = nullptr);

} // namespace brevik
