#include "diagnostics/diagnosticsrun.h"

QList<Finding> DiagnosticsRun::checkHosts()
{
    return {}; // not built yet
}
