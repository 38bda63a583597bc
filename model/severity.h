#pragma once

#include <QString>

#include <optional>

namespace brevik {

// Gravity of a finding; the order of the cases is the order of gravity.
enum class Severity { ok = 0, info = 1, warn = 2, error = 3 };

inline int rawValue(Severity severity)
{
    return static_cast<int>(severity);
}
std::optional<Severity> severityFromRaw(int raw);
QString severityName(Severity severity); // the case name: "ok", "info", "warn", "error"
QString label(Severity severity);
QString icon(Severity severity);      // system symbol name
QString colorName(Severity severity); // palette colour of the style kit

} // namespace brevik
