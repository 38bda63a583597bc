#include "diagnostics/diagnosticsrun.h"

QList<Finding> DiagnosticsRun::checkDNS()
{
    return {}; // not built yet
}
