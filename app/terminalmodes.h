#pragma once

#include <QString>

// The modes that run without a window. Each prints its result and returns the exit status.
namespace TerminalModes {

int guard();
int guardStatus();
int installAgent();
int uninstallAgent();
int scan(bool json);
int fix(const QString &fixId);

} // namespace TerminalModes
