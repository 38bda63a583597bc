#pragma once

#include "model/severity.h"

#include <QColor>
#include <QString>

#include <optional>

namespace brevik {

// A colour from a 24-bit value: red in bits 16–23, green in 8–15, blue in 0–7.
constexpr QColor neuColor(quint32 rgb, qreal opacity = 1.0)
{
    return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF),
                  qRound(opacity * 255));
}

// The soft-relief palette: every panel, button and chip sits on neuBg.
inline constexpr QColor neuBg = neuColor(0xE0E5EC);
inline constexpr QColor neuDark = neuColor(0xB8BCC2);  // the dark shadow
inline constexpr QColor neuLight = neuColor(0xFFFFFF); // the light shadow
inline constexpr QColor neuAccent = neuColor(0x6D5DFC);
inline constexpr QColor neuAccentDeep = neuColor(0x4B3BC4);
inline constexpr QColor neuText = neuColor(0x2F3336);
inline constexpr QColor neuTextSecondary = neuColor(0x5F6B7A);
inline constexpr QColor neuSuccess = neuColor(0x2E8B72);
inline constexpr QColor neuDanger = neuColor(0xC0392B);
inline constexpr QColor neuWarning = neuColor(0xA9741A);
inline constexpr QColor neuInfo = neuColor(0x30639E);

// The same colour at another opacity.
QColor withOpacity(QColor color, qreal opacity);

// A palette colour by its name ("neuSuccess"); nothing for a name the palette lacks.
std::optional<QColor> paletteColor(const QString &name);

// The colour a severity is drawn in.
QColor severityColor(Severity severity);

} // namespace brevik
