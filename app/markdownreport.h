#pragma once

#include "app/scanreport.h"

namespace brevik {

// The report as a Markdown document for someone helping from afar: the verdict, the
// problems with their repairs and commands, the passed checks and the AI services.
// `simulatedMac` names the scenario when the report comes from a simulated Mac.
QString toMarkdown(const ScanReport &report, const QString &simulatedMac = {});

} // namespace brevik
