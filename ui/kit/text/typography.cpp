#include "ui/kit/text/typography.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace brevik {

namespace {

// Qt turns a point size into pixels with the screen's logical DPI (72 on macOS, 96 or
// the desktop's setting elsewhere); fonts of widgets, pixmaps and images all resolve
// through the primary screen's value, so dividing by it makes a point one pixel.
qreal pointsPerPixel()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? qRound(screen->logicalDotsPerInchY()) : 72.0;
    return 72.0 / (dpi > 0 ? dpi : 72.0);
}

QStringList families(FontDesign design)
{
    // macOS's system font cascades to PingFang and the emoji face by itself; on Linux the
    // desktop's sans face often lacks Chinese and the logs' status signs, and without
    // named fallbacks fontconfig may pick a serif or bitmap face for them, or none.
    const QString emoji = QStringLiteral("Noto Color Emoji");
    if (design == FontDesign::monospaced) {
        return {QFontDatabase::systemFont(QFontDatabase::FixedFont).family(),
                QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("PingFang SC"), emoji};
    }
    // No rounded face ships with Qt or Debian; the rounded design is the system face.
    return {QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(),
            QStringLiteral("Noto Sans CJK SC"), QStringLiteral("PingFang SC"), emoji};
}

} // namespace

QFont neuFont(qreal size, QFont::Weight weight, FontDesign design)
{
    QFont font;
    font.setFamilies(families(design));
    if (design == FontDesign::monospaced)
        font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(size * pointsPerPixel());
    font.setWeight(weight);
    // Hinting snaps glyphs to whole pixels and with them 13.5 to 13 or 14; the Mac draws
    // unhinted, fractional sizes.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace brevik
