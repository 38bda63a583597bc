#pragma once

#include <QString>

#include <optional>

namespace brevik {

// The modes that run without a window. Each prints its result and returns the exit status.
namespace TerminalModes {

int guard();
int guardStatus();
int installAgent();
int uninstallAgent();
int scan(bool json);
int fix(const QString &fixId);
// The repair journal, newest first, one line per entry.
int history(bool all);
// Takes back entry `id` (none: the last repair not yet taken back); exit 0, 1 when it could
// not be done (refused, cancelled, failed), 2 when there is no such entry.
int undo(const std::optional<qint64> &id, bool force);

} // namespace TerminalModes

} // namespace brevik
