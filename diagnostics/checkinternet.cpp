#include "diagnostics/diagnosticsrun.h"

QList<Finding> DiagnosticsRun::checkInternet()
{
    return {}; // not built yet
}
