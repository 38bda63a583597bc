#include "diagnostics/diagnosticsrun.h"

NetContext DiagnosticsRun::buildContext()
{
    return {}; // not built yet
}
