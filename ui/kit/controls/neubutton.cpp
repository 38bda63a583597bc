#include "ui/kit/controls/neubutton.h"

#include "ui/kit/controls/keyboardring.h"
#include "ui/kit/paint/focusring.h"
#include "ui/kit/text/typography.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

namespace brevik {

namespace {

constexpr qreal kRadius = 14;
constexpr qreal kLabelSpacing = 7;
constexpr qreal kRestDistance = 6;
constexpr qreal kHoverDistance = 3;
constexpr qreal kPressedDistance = 4;
constexpr qreal kDisabledOpacity = 0.5;

} // namespace

QFont NeuButtonStyle::font() const
{
    return neuFont(compact ? 12 : 13.5, QFont::DemiBold, FontDesign::rounded);
}

qreal NeuButtonStyle::symbolSize() const
{
    return compact ? 11 : 13;
}

QColor NeuButtonStyle::labelColor() const
{
    return accent ? QColor(Qt::white) : neuInk(tint);
}

QMargins NeuButtonStyle::padding() const
{
    return compact ? QMargins(12, 7, 12, 7) : QMargins(18, 11, 18, 11);
}

NeuSurface NeuButtonStyle::background(bool pressed) const
{
    const qreal distance = pressed ? kPressedDistance : hovering ? kHoverDistance : kRestDistance;
    return {.radius = kRadius,
            .distance = distance,
            .inset = pressed,
            .fill = accent ? neuAccent : neuBg};
}

NeuButton::NeuButton(const QString &title, std::optional<Symbol> symbol, QWidget *parent)
    : QAbstractButton(parent), m_symbol(symbol), m_title(m_style.font(), title),
      m_distance(this, kRestDistance, [this] { repaintAll(); }),
      m_pressed(this, 0, [this] { repaintAll(); }), m_opacity(this, 1, [this] { repaintAll(); })
{
    setText(title);
    // Reached with the tab key, not taken by a click: a click should not leave a ring.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // A press from the keyboard ends on a timer, with no event of its own to follow.
    connect(this, &QAbstractButton::released, this, &NeuButton::followState);
}

void NeuButton::repaintAll()
{
    update();
    m_shadow.update();
}

void NeuButton::setTitle(const QString &title)
{
    setText(title);
    m_title.setText(title);
    relayout();
}

void NeuButton::setSymbol(std::optional<Symbol> symbol)
{
    m_symbol = symbol;
    relayout();
}

void NeuButton::setAccent(bool accent)
{
    m_style.accent = accent;
    update();
    m_shadow.update();
}

void NeuButton::setCompact(bool compact)
{
    m_style.compact = compact;
    m_title = TextRun(m_style.font(), text());
    relayout();
}

void NeuButton::setTint(NeuRole tint)
{
    m_style.tint = tint;
    update();
}

void NeuButton::relayout()
{
    updateGeometry();
    update();
}

QSize NeuButton::sizeHint() const
{
    const qreal symbolSide = m_symbol ? symbolBox({}, m_style.symbolSize()).width() : 0;
    qreal width = symbolSide;
    if (!text().isEmpty())
        width += (m_symbol ? kLabelSpacing : 0) + m_title.width();
    const qreal height = std::max(m_title.height(), symbolSide);
    const QMargins padding = m_style.padding();
    return {qCeil(width) + padding.left() + padding.right(),
            qCeil(height) + padding.top() + padding.bottom()};
}

QMargins NeuButton::shadowMargins() const
{
    const QMargins shadows = brevik::shadowMargins(neuRaised(kRadius, kRestDistance));
    const QMargins ring = focusRingMargins();
    return {std::max(shadows.left(), ring.left()), std::max(shadows.top(), ring.top()),
            std::max(shadows.right(), ring.right()), std::max(shadows.bottom(), ring.bottom())};
}

void NeuButton::paintShadow(QPainter &painter) const
{
    const qreal raised = 1 - pressedAmount();
    if (raised > 0) {
        painter.setOpacity(opacity() * raised);
        m_shadowRelief.paintShadows(painter, rect(), kRadius, raisedShadows(distance()));
    }
    if (m_keyboardFocus) {
        painter.setOpacity(1);
        paintFocusRing(painter, rect(), kRadius);
    }
}

void NeuButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setOpacity(opacity());
    paintSurface(painter);
    paintContent(painter);
}

void NeuButton::paintSurface(QPainter &painter) const
{
    const QColor fill = neuColor(m_style.accent ? neuAccent : neuBg);
    const qreal sunk = pressedAmount();
    if (sunk < 1)
        paintFace(painter, rect(), kRadius, fill);
    if (sunk > 0) {
        // Cross-fades into the pressed-in relief while the depth settles.
        painter.save();
        painter.setOpacity(opacity() * sunk);
        m_insetRelief.paintInset(painter, rect(), kRadius, distance(), fill);
        painter.restore();
    }
}

void NeuButton::paintContent(QPainter &painter) const
{
    const qreal symbolSide = m_symbol ? symbolBox({}, m_style.symbolSize()).width() : 0;
    const qreal textWidth = text().isEmpty() ? 0 : m_title.width();
    const qreal gap = (m_symbol && textWidth > 0) ? kLabelSpacing : 0;
    const qreal contentWidth = symbolSide + gap + textWidth;
    const QRectF area = QRectF(rect()).marginsRemoved(m_style.padding());
    qreal x = rect().center().x() + 0.5 - contentWidth / 2;
    const qreal midY = area.center().y();
    const QColor color = m_style.labelColor();

    if (m_symbol) {
        paintSymbol(painter, *m_symbol, QPointF(x + symbolSide / 2, midY), m_style.symbolSize(),
                    color);
        x += symbolSide + gap;
    }
    m_title.draw(painter, x, midY, color);
}

void NeuButton::followState()
{
    const bool down = isDown() && isEnabled();
    const NeuSurface target = m_style.background(down);
    m_distance.animateTo(target.distance);
    m_pressed.animateTo(down ? 1 : 0);
    m_opacity.animateTo(isEnabled() ? 1 : kDisabledOpacity);
}

void NeuButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    m_style.hovering = isEnabled();
    followState();
}

void NeuButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_style.hovering = false;
    followState();
}

void NeuButton::mousePressEvent(QMouseEvent *event)
{
    QAbstractButton::mousePressEvent(event);
    followState();
}

void NeuButton::mouseReleaseEvent(QMouseEvent *event)
{
    QAbstractButton::mouseReleaseEvent(event);
    followState();
}

void NeuButton::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging off the button while held lets it up again, without a signal.
    QAbstractButton::mouseMoveEvent(event);
    followState();
}

void NeuButton::keyPressEvent(QKeyEvent *event)
{
    // Return presses a button as Space does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && isEnabled() &&
        !event->isAutoRepeat()) {
        animateClick();
        followState();
        return;
    }
    QAbstractButton::keyPressEvent(event);
    followState();
}

void NeuButton::keyReleaseEvent(QKeyEvent *event)
{
    QAbstractButton::keyReleaseEvent(event);
    followState();
}

void NeuButton::focusInEvent(QFocusEvent *event)
{
    QAbstractButton::focusInEvent(event);
    m_keyboardFocus = KeyboardRing::broughtByKeyboard(*event);
    m_shadow.update();
}

void NeuButton::focusOutEvent(QFocusEvent *event)
{
    QAbstractButton::focusOutEvent(event);
    m_keyboardFocus = false;
    m_shadow.update();
    followState();
}

void NeuButton::changeEvent(QEvent *event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            m_style.hovering = false;
        else
            m_style.hovering = underMouse();
        followState();
    }
}

} // namespace brevik
