#include "diagnostics/diagnosticsrun.h"

QList<Finding> DiagnosticsRun::checkProxy()
{
    return {}; // not built yet
}

QStringList DiagnosticsRun::disableAllProxyCommands() const
{
    return {};
}
