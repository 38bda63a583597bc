#include "diagnostics/diagnosticsrun.h"

QList<Finding> DiagnosticsRun::checkInterface()
{
    return {}; // not built yet
}
