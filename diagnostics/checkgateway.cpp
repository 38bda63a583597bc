#include "diagnostics/diagnosticsrun.h"

QList<Finding> DiagnosticsRun::checkGateway()
{
    return {}; // not built yet
}

QStringList DiagnosticsRun::wifiRestartCommands() const
{
    return {};
}
QStringList DiagnosticsRun::resetIfaceCommands() const
{
    return {};
}
QStringList DiagnosticsRun::dhcpRenewCommands() const
{
    return {};
}
