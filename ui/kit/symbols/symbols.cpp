#include "ui/kit/symbols/symbols.h"

#include "ui/kit/paint/blur.h"
#include "ui/kit/paint/relief.h"

#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <array>

namespace brevik {

namespace {

struct SymbolEntry {
    Symbol symbol;
    const char *systemName;
    const char *icon; // file under :/icons, without ".svg"
};

constexpr std::array kSymbols{
    SymbolEntry{Symbol::wifi, "wifi", "wifi"},
    SymbolEntry{Symbol::checkmarkShieldFill, "checkmark.shield.fill", "verified_user-fill"},
    SymbolEntry{Symbol::checkmarkCircleFill, "checkmark.circle.fill", "check_circle-fill"},
    SymbolEntry{Symbol::infoCircleFill, "info.circle.fill", "info-fill"},
    SymbolEntry{Symbol::exclamationmarkTriangleFill, "exclamationmark.triangle.fill",
                "warning-fill"},
    SymbolEntry{Symbol::xmarkOctagonFill, "xmark.octagon.fill", "dangerous-fill"},
    SymbolEntry{Symbol::wrenchAndScrewdriverFill, "wrench.and.screwdriver.fill", "handyman-fill"},
    SymbolEntry{Symbol::arrowClockwise, "arrow.clockwise", "refresh"},
    SymbolEntry{Symbol::questionmarkCircle, "questionmark.circle", "help"},
    SymbolEntry{Symbol::arrowTriangle2Circlepath, "arrow.triangle.2.circlepath", "sync"},
    SymbolEntry{Symbol::handThumbsupFill, "hand.thumbsup.fill", "thumb_up-fill"},
    SymbolEntry{Symbol::checkmarkSealFill, "checkmark.seal.fill", "verified-fill"},
    SymbolEntry{Symbol::exclamationmarkBubbleFill, "exclamationmark.bubble.fill", "feedback-fill"},
    SymbolEntry{Symbol::boltFill, "bolt.fill", "bolt-fill"},
    SymbolEntry{Symbol::sparkles, "sparkles", "star_shine-fill"},
    SymbolEntry{Symbol::lockShieldFill, "lock.shield.fill", "shield_lock-fill"},
    SymbolEntry{Symbol::xmarkCircleFill, "xmark.circle.fill", "cancel-fill"},
    SymbolEntry{Symbol::lightbulbFill, "lightbulb.fill", "lightbulb-fill"},
    SymbolEntry{Symbol::chevronDown, "chevron.down", "keyboard_arrow_down"},
    SymbolEntry{Symbol::chevronRight, "chevron.right", "chevron_right"},
    SymbolEntry{Symbol::handRaisedFill, "hand.raised.fill", "back_hand-fill"},
    SymbolEntry{Symbol::docOnDoc, "doc.on.doc", "content_copy"},
    SymbolEntry{Symbol::shieldLefthalfFilled, "shield.lefthalf.filled", "security"},
    SymbolEntry{Symbol::shieldSlash, "shield.slash", "remove_moderator"},
    SymbolEntry{Symbol::pauseCircleFill, "pause.circle.fill", "pause_circle-fill"},
    SymbolEntry{Symbol::clockBadgeCheckmark, "clock.badge.checkmark", "alarm_on"},
    SymbolEntry{Symbol::dotRadiowavesLeftAndRight, "dot.radiowaves.left.and.right", "sensors"},
    SymbolEntry{Symbol::pauseFill, "pause.fill", "pause-fill"},
    SymbolEntry{Symbol::playFill, "play.fill", "play_arrow-fill"},
    SymbolEntry{Symbol::trash, "trash", "delete"},
    SymbolEntry{Symbol::clockArrowCirclepath, "clock.arrow.circlepath", "history"},
};

// One row per symbol, in the enumeration's order: a symbol added without its icon does
// not build.
constexpr bool tableMatchesEnum()
{
    for (std::size_t i = 0; i < kSymbols.size(); ++i) {
        if (static_cast<std::size_t>(kSymbols[i].symbol) != i)
            return false;
    }
    return static_cast<std::size_t>(Symbol::clockArrowCirclepath) + 1 == kSymbols.size();
}
static_assert(tableMatchesEnum(), "every Symbol needs exactly one row, in enum order");

const SymbolEntry &entry(Symbol symbol)
{
    return kSymbols[static_cast<std::size_t>(symbol)];
}

// Material icons keep 2 of their 24 grid units free on each side.
constexpr qreal kBoxPerPoint = 1.2;

} // namespace

QList<Symbol> allSymbols()
{
    QList<Symbol> symbols;
    for (const SymbolEntry &row : kSymbols)
        symbols.append(row.symbol);
    return symbols;
}

QString systemName(Symbol symbol)
{
    return QString::fromLatin1(entry(symbol).systemName);
}

QString resourcePath(Symbol symbol)
{
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(entry(symbol).icon));
}

std::optional<Symbol> symbolNamed(const QString &name)
{
    for (const SymbolEntry &row : kSymbols) {
        if (name == QLatin1String(row.systemName))
            return row.symbol;
    }
    return std::nullopt;
}

Symbol severitySymbol(Severity severity)
{
    // A severity naming a symbol the table lacks is caught by the tests; meanwhile the
    // info sign is still a sign rather than a blank.
    return symbolNamed(icon(severity)).value_or(Symbol::infoCircleFill);
}

QRectF symbolBox(QPointF center, qreal size)
{
    const qreal side = size * kBoxPerPoint;
    return {center.x() - side / 2, center.y() - side / 2, side, side};
}

QPixmap symbolPixmap(Symbol symbol, qreal size, const QColor &color, qreal devicePixelRatio)
{
    const int side = qCeil(size * kBoxPerPoint * devicePixelRatio);
    const QString key =
        QStringLiteral("neu-symbol:%1:%2:%3").arg(int(symbol)).arg(side).arg(color.rgba(), 8, 16);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;

    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        QSvgRenderer renderer(resourcePath(symbol));
        renderer.render(&painter, QRectF(0, 0, side, side));
        // Keep the icon's coverage, take the colour.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

void paintSymbol(QPainter &painter, Symbol symbol, QPointF center, qreal size, const QColor &color)
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    const QPixmap pixmap = symbolPixmap(symbol, size, color, dpr);
    const QSizeF side = pixmap.deviceIndependentSize();
    painter.drawPixmap(QRectF(center - QPointF(side.width(), side.height()) / 2, side), pixmap,
                       QRectF(pixmap.rect()));
}

void paintSymbolGlow(QPainter &painter, Symbol symbol, QPointF center, qreal size,
                     const QColor &color, qreal blur)
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    const QPixmap shape = symbolPixmap(symbol, size, Qt::black, dpr);
    const int pad = qCeil(blurReach(blur) * dpr);
    const QString key = QStringLiteral("neu-glow:%1:%2:%3:%4")
                            .arg(int(symbol))
                            .arg(shape.width())
                            .arg(color.rgba(), 8, 16)
                            .arg(blur);
    QPixmap glow;
    if (!QPixmapCache::find(key, &glow)) {
        QImage alpha(shape.width() + 2 * pad, shape.height() + 2 * pad, QImage::Format_Alpha8);
        alpha.fill(0);
        {
            QPainter painter(&alpha);
            painter.drawImage(pad, pad, shape.toImage());
        }
        gaussianBlurAlpha(alpha, blurSigma(blur) * dpr);
        QImage image(alpha.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(color);
        {
            QPainter painter(&image);
            painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            painter.drawImage(0, 0, alpha);
        }
        glow = QPixmap::fromImage(std::move(image));
        glow.setDevicePixelRatio(dpr);
        QPixmapCache::insert(key, glow);
    }
    const QSizeF side = glow.deviceIndependentSize();
    painter.drawPixmap(QRectF(center - QPointF(side.width(), side.height()) / 2, side), glow,
                       QRectF(glow.rect()));
}

} // namespace brevik
