#pragma once

#include <QString>

namespace brevik {

// Captured tool output kept as files under tests/data/, read by name ("ping/all-answered.txt").
// A missing file fails loudly: an empty text would pass for a tool that printed nothing.
QString testData(const QString &name);

} // namespace brevik
