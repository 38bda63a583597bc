#include "diagnostics/diagnosticsrun.h"

QList<Finding> DiagnosticsRun::checkAI()
{
    return {}; // not built yet
}
