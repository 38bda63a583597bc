#pragma once

#include <QFont>

namespace brevik {

// The three designs of the system font that the interface uses.
enum class FontDesign { standard, rounded, monospaced };

// The system font at `size` points, where a point is one logical pixel on every platform:
// 13.5 gives text 13.5 logical pixels high whatever DPI the platform reports. Chinese
// falls back to a CJK face where the system font has no Chinese glyphs.
QFont neuFont(qreal size, QFont::Weight weight = QFont::Normal,
              FontDesign design = FontDesign::standard);

} // namespace brevik
