#pragma once

#include "app/scanreport.h"

namespace brevik {

class AppModel;

// The report of what the window shows now: the findings, AI rows and internet test of the
// last scan, without scanning again.
ScanReport reportOf(const AppModel &model);

// Writes `report` to `path` in one piece: the JSON document of `--scan --json` when the name
// ends in ".json" (in any case), otherwise Markdown. False, with the reason, when the file
// cannot be written.
bool writeReport(const QString &path, const ScanReport &report, const QString &simulatedMac,
                 QString *error);

} // namespace brevik
