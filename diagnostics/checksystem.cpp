#include "diagnostics/diagnosticsrun.h"

QList<Finding> DiagnosticsRun::checkSystem()
{
    return {}; // not built yet
}
