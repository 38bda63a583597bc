#pragma once

#include "exec/shellresult.h"
#include "model/finding.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace brevik {

// How a repair ended.
enum class FixEnd {
    succeeded, // every command exited 0 and the settings read back as set
    notFixed,  // so, but the check run again still finds what it was to repair
    failed,
    cancelled, // the password prompt was dismissed
};

// The outcome of one repair as the user reads it beside the finding.
struct FixResult {
    bool ok = false;
    QString log; // first character is the status sign: ✅ ❌ ⚠️ ⏳
    FixEnd end = FixEnd::failed;
    // Some command of it ran (false: nothing at all was changed). Once recorded, whether
    // what ran left a setting changed, as read back.
    bool ranAny = false;
    bool recorded = true;  // the journal holds it (false: it ran, but cannot be undone)
    // When the check run again after the repair found the problem gone.
    std::optional<QDateTime> fixedAt{};
};

// Carries out the repairs that findings offer. Stateless; every call blocks its caller for as
// long as the commands run, so callers keep it off the window's thread.
namespace FixEngine {

// Runs one repair: through the administrator prompt when it needs it, otherwise directly
// (and once more through the prompt when a fallback is allowed and the direct run failed).
// It succeeds only when every command exited 0 and the settings it changes read back as set;
// a failure names the command that failed. A repair without commands is reported as a
// failure, never as a success.
FixResult apply(const FixAction &action);

// Runs the repairs of all findings that carry one: direct repairs at once, in input order,
// then every command that needs administrator rights in one script behind one prompt. Each
// finding ends with the outcome of its own commands. `progress` receives a text before each
// step that may take time. Result: finding id → outcome.
QMap<QString, FixResult> applyAll(const QList<Finding> &findings,
                                  const std::function<void(const QString &)> &progress);

// Runs the commands in order, stopping at the first that does not succeed. The code and end
// are those of the last command run (0 for an empty list); the non-empty trimmed outputs, one
// per line.
ShellResult runDirect(const QStringList &commands);

// The user-facing log text for a finished run of `action` (or of a whole batch, without one).
// A run that timed out, was killed or never started says so rather than quoting a signal
// number as its exit code; a cancelled password prompt reads as cancelled.
QString formatLog(const std::optional<FixAction> &action, const ShellResult &result);

// The log of a repair whose password prompt was dismissed: it ends every cancelled log, in
// whichever language the program speaks.
QString cancelledLog();

} // namespace FixEngine

} // namespace brevik
