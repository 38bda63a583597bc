#include "ui/kit/palette/palette.h"

#include <cmath>
#include <utility>

namespace brevik {

namespace {

// In role order: bg, dark, light, accent, accentDeep, text, textSecondary, success, danger,
// warning, info.
const NeuPalette kLight{{
    neuColor(0xE0E5EC),
    neuColor(0xB8BCC2),
    neuColor(0xFFFFFF),
    neuColor(0x6D5DFC),
    neuColor(0x4B3BC4),
    neuColor(0x2F3336),
    neuColor(0x5F6B7A),
    neuColor(0x2E8B72),
    neuColor(0xC0392B),
    neuColor(0xA9741A),
    neuColor(0x30639E),
}};

// The same relief in the dark: a grey-blue ground, a deeper shadow below-right and a faint
// highlight above-left, the accent kept for fills (white still reads on it) and every colour
// that is read lifted until it stands out from the ground.
const NeuPalette kDark{{
    neuColor(0x2A2F37),
    neuColor(0x1B1E24),
    neuColor(0x3A404B),
    neuColor(0x6D5DFC),
    neuColor(0xA99EFF),
    neuColor(0xE4E8EE),
    neuColor(0xA3ADBB),
    neuColor(0x4CC4A0),
    neuColor(0xF27B6E),
    neuColor(0xE0A94E),
    neuColor(0x74A9EA),
}};

const std::array<std::pair<const char *, NeuRole>, kNeuRoleCount> kNamed{{
    {"neuBg", neuBg},
    {"neuDark", neuDark},
    {"neuLight", neuLight},
    {"neuAccent", neuAccent},
    {"neuAccentDeep", neuAccentDeep},
    {"neuText", neuText},
    {"neuTextSecondary", neuTextSecondary},
    {"neuSuccess", neuSuccess},
    {"neuDanger", neuDanger},
    {"neuWarning", neuWarning},
    {"neuInfo", neuInfo},
}};

Appearance g_appearance = Appearance::light;

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &color)
{
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}

QColor mixed(const QColor &from, const QColor &to, double amount)
{
    const auto channel = [amount](int a, int b) { return qRound(a + (b - a) * amount); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

// Each role's ink, worked out once per palette: the colour moved in steps of a hundredth
// towards the text colour until it reads.
std::array<QColor, kNeuRoleCount> inksOf(const NeuPalette &palette)
{
    std::array<QColor, kNeuRoleCount> inks;
    const QColor ground = palette[neuBg];
    const QColor text = palette[neuText];
    for (std::size_t role = 0; role < kNeuRoleCount; ++role) {
        QColor ink = palette.colors[role];
        for (int step = 1; step <= 100 && contrastRatio(ink, ground) < kTextContrast; ++step)
            ink = mixed(palette.colors[role], text, step / 100.0);
        inks[role] = ink;
    }
    return inks;
}

} // namespace

const NeuPalette &paletteOf(Appearance appearance)
{
    return appearance == Appearance::dark ? kDark : kLight;
}

Appearance currentAppearance()
{
    return g_appearance;
}

void setCurrentAppearance(Appearance appearance)
{
    g_appearance = appearance;
}

QColor neuColor(NeuRole role, qreal opacity)
{
    QColor color = paletteOf(g_appearance)[role];
    if (opacity < 1)
        color.setAlphaF(float(opacity));
    return color;
}

QColor inkOf(Appearance appearance, NeuRole role)
{
    static const std::array<QColor, kNeuRoleCount> light = inksOf(kLight);
    static const std::array<QColor, kNeuRoleCount> dark = inksOf(kDark);
    return (appearance == Appearance::dark ? dark : light)[std::size_t(role)];
}

QColor neuInk(NeuRole role)
{
    return inkOf(g_appearance, role);
}

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(float(opacity));
    return color;
}

std::optional<NeuRole> paletteRole(const QString &name)
{
    for (const auto &[key, role] : kNamed) {
        if (name == QLatin1String(key))
            return role;
    }
    return std::nullopt;
}

NeuRole severityRole(Severity severity)
{
    // The severity names its colour; a name the palette lacks is a fault the tests catch,
    // and the text colour keeps it readable meanwhile.
    return paletteRole(colorName(severity)).value_or(neuText);
}

QString severityWord(NeuRole role)
{
    for (Severity severity : {Severity::ok, Severity::info, Severity::warn, Severity::error}) {
        if (severityRole(severity) == role)
            return label(severity);
    }
    return {};
}

} // namespace brevik
