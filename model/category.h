#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace brevik {

// The sections a finding belongs to, in display order.
enum class CheckCategory { connectivity, dns, proxy, ai, system };

QString rawValue(CheckCategory category); // the display name shown as a chip, translated
QList<CheckCategory> allCategories();
std::optional<CheckCategory> categoryFromRaw(const QString &raw);

// Which findings the window lists, in segment order.
enum class FilterMode { all, problems, normal };

QString rawValue(FilterMode mode); // the segment label, translated
QList<FilterMode> allFilterModes();
std::optional<FilterMode> filterModeFromRaw(const QString &raw);

} // namespace brevik
