#pragma once

#include "model/finding.h"

// The fields every finding has; a check adds hints, manual steps and its repair after.
inline Finding makeFinding(const QString &id, Severity severity, CheckCategory category,
                           const QString &title, const QString &detail)
{
    return Finding{
        .id = id, .title = title, .severity = severity, .detail = detail, .category = category};
}
