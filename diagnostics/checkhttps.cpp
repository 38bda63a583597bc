#include "diagnostics/diagnosticsrun.h"

QList<Finding> DiagnosticsRun::checkHTTPS()
{
    return {}; // not built yet
}
