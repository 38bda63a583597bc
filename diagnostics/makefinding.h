#pragma once

#include "model/finding.h"

namespace brevik {

// The fields every finding has; a check adds hints, manual steps and its repair after.
inline Finding makeFinding(const QString &id, Severity severity, CheckCategory category,
                           const QString &title, const QString &detail)
{
    return Finding{
        .id = id, .title = title, .severity = severity, .detail = detail, .category = category};
}

// Whose rights a repair's commands run with. Some tools (networksetup on some macOS
// versions) want a password only sometimes: those try without one first.
enum class RepairRights { user, userThenAdmin, admin };

// Every repair a check offers is built here, so that the rights are always one of the three.
inline FixAction makeRepair(const QString &id, const QString &title,
                            const QList<RepairOp> &operations, RepairRights rights,
                            const QString &successHint)
{
    return FixAction{.id = id,
                     .title = title,
                     .operations = operations,
                     .needsAdmin = rights == RepairRights::admin,
                     .fallbackAdmin = rights == RepairRights::userThenAdmin,
                     .successHint = successHint};
}

} // namespace brevik
