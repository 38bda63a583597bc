#include "ui/kit/palette/palette.h"

#include <array>
#include <utility>

namespace brevik {

namespace {

constexpr std::array<std::pair<const char *, QColor>, 11> kNamed{{
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

} // namespace

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(float(opacity));
    return color;
}

std::optional<QColor> paletteColor(const QString &name)
{
    for (const auto &[key, color] : kNamed) {
        if (name == QLatin1String(key))
            return color;
    }
    return std::nullopt;
}

QColor severityColor(Severity severity)
{
    // The severity names its colour; a name the palette lacks is a fault the tests catch,
    // and the text colour keeps it readable meanwhile.
    return paletteColor(colorName(severity)).value_or(neuText);
}

} // namespace brevik
