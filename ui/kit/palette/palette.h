#pragma once

#include "model/severity.h"

#include <QColor>
#include <QString>

#include <array>
#include <optional>

namespace brevik {

// A colour from a 24-bit value: red in bits 16–23, green in 8–15, blue in 0–7.
constexpr QColor neuColor(quint32 rgb, qreal opacity = 1.0)
{
    return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF),
                  qRound(opacity * 255));
}

// What a colour of the soft-relief palette is for. Widgets keep the role, never the colour,
// and look the colour up when they paint, so that the window follows the appearance.
enum class NeuRole : quint8 {
    bg,
    dark,
    light,
    accent,
    accentDeep,
    text,
    textSecondary,
    success,
    danger,
    warning,
    info,
};
inline constexpr std::size_t kNeuRoleCount = 11;

// The roles by their names: every panel, button and chip sits on neuBg.
inline constexpr NeuRole neuBg = NeuRole::bg;
inline constexpr NeuRole neuDark = NeuRole::dark;   // the dark shadow
inline constexpr NeuRole neuLight = NeuRole::light; // the light shadow
inline constexpr NeuRole neuAccent = NeuRole::accent;
inline constexpr NeuRole neuAccentDeep = NeuRole::accentDeep;
inline constexpr NeuRole neuText = NeuRole::text;
inline constexpr NeuRole neuTextSecondary = NeuRole::textSecondary;
inline constexpr NeuRole neuSuccess = NeuRole::success;
inline constexpr NeuRole neuDanger = NeuRole::danger;
inline constexpr NeuRole neuWarning = NeuRole::warning;
inline constexpr NeuRole neuInfo = NeuRole::info;

enum class Appearance { light, dark };

// One appearance's colour for every role.
struct NeuPalette {
    std::array<QColor, kNeuRoleCount> colors;

    QColor operator[](NeuRole role) const { return colors[std::size_t(role)]; }
};

const NeuPalette &paletteOf(Appearance appearance);

// The appearance the window is drawn in now. Only the theme (and a test) changes it, on the
// main thread, and repaints everything after.
Appearance currentAppearance();
void setCurrentAppearance(Appearance appearance);

// A role's colour in the current appearance, at an opacity: for surfaces, shadows, symbols
// and lamps.
QColor neuColor(NeuRole role, qreal opacity = 1.0);

// Text is read where symbols are only seen: it needs a contrast of 4.5:1 with the background
// (symbols 3:1). The ink of a role is its colour, or where that reads too faintly the nearest
// colour towards the text colour that reaches 4.5:1 on the background.
inline constexpr double kTextContrast = 4.5;
inline constexpr double kSymbolContrast = 3.0;
QColor inkOf(Appearance appearance, NeuRole role);
QColor neuInk(NeuRole role); // in the current appearance

// The contrast ratio of two opaque colours, 1 to 21, from their relative luminance.
double contrastRatio(const QColor &a, const QColor &b);

// The same colour at another opacity.
QColor withOpacity(QColor color, qreal opacity);

// A palette role by its name ("neuSuccess"); nothing for a name the palette lacks.
std::optional<NeuRole> paletteRole(const QString &name);

// The role a severity is drawn in.
NeuRole severityRole(Severity severity);
// What a colour of the severities means, in the severity's own word ("故障"); empty for a
// role that is no severity's. Wherever colour tells something, this says it too.
QString severityWord(NeuRole role);

} // namespace brevik
