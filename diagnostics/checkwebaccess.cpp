#include "diagnostics/diagnosticsrun.h"

QList<Finding> DiagnosticsRun::checkWebAccess()
{
    return {}; // not built yet
}
