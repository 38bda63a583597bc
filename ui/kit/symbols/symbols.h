#pragma once

#include "model/severity.h"

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

namespace brevik {

// Every symbol the interface draws, by the platform symbol name it stands for.
enum class Symbol {
    wifi,
    checkmarkShieldFill,
    checkmarkCircleFill,
    infoCircleFill,
    exclamationmarkTriangleFill,
    xmarkOctagonFill,
    wrenchAndScrewdriverFill,
    arrowClockwise,
    questionmarkCircle,
    arrowTriangle2Circlepath,
    handThumbsupFill,
    checkmarkSealFill,
    exclamationmarkBubbleFill,
    boltFill,
    sparkles,
    lockShieldFill,
    xmarkCircleFill,
    lightbulbFill,
    chevronDown,
    chevronRight,
    handRaisedFill,
    docOnDoc,
    shieldLefthalfFilled,
    shieldSlash,
    pauseCircleFill,
    clockBadgeCheckmark,
    dotRadiowavesLeftAndRight,
    pauseFill,
    playFill,
    trash,
    clockArrowCirclepath,
};

QList<Symbol> allSymbols();
QString systemName(Symbol symbol);   // "checkmark.circle.fill"
QString resourcePath(Symbol symbol); // the icon drawn for it
std::optional<Symbol> symbolNamed(const QString &systemName);
Symbol severitySymbol(Severity severity);

// The square a symbol of `size` points occupies around `center`. The icons keep a margin
// inside their grid, so the square is a little larger than the size, which makes a
// filled circle about `size` across, as the platform's symbols are.
QRectF symbolBox(QPointF center, qreal size);

// The symbol in `color`, rendered for `devicePixelRatio` and cached.
QPixmap symbolPixmap(Symbol symbol, qreal size, const QColor &color, qreal devicePixelRatio);
void paintSymbol(QPainter &painter, Symbol symbol, QPointF center, qreal size, const QColor &color);
// The symbol's silhouette in `color`, blurred by `blur` like a shadow without offset: a
// halo that sets a symbol apart from what lies under it.
void paintSymbolGlow(QPainter &painter, Symbol symbol, QPointF center, qreal size,
                     const QColor &color, qreal blur);

} // namespace brevik
