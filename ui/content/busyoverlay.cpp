#include "ui/content/busyoverlay.h"

#include "ui/kit/paint/neusurface.h"
#include "ui/kit/text/typography.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

namespace brevik {

namespace {

constexpr qreal kDim = 0.75;
constexpr qreal kTextWidth = 340;
constexpr qreal kBarWidth = 280;
constexpr qreal kBarHeight = 8;
constexpr qreal kPadding = 28;
constexpr qreal kGap = 16;
constexpr qreal kPanelRadius = 22;
constexpr qreal kPanelDistance = 8;

} // namespace

BusyOverlay::BusyOverlay(QWidget *parent)
    : QWidget(parent), m_font(neuFont(13.5, QFont::DemiBold, FontDesign::rounded)),
      m_opacity(this, 0,
                [this] {
                    if (m_opacity.value() <= 0 && !m_busy)
                        hide();
                    update();
                }),
      m_value(this, 0, [this] { update(barRect().toAlignedRect().adjusted(-2, -2, 2, 2)); })
{
    setObjectName(QStringLiteral("busyOverlay"));
    hide();
    parent->installEventFilter(this);
    setGeometry(parent->rect());
}

void BusyOverlay::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy) {
        setGeometry(parentWidget()->rect());
        show();
        raise();
    }
    m_opacity.animateTo(busy ? 1 : 0);
    // Over before it was drawn at all: no fade to wait for, and nothing may stay on top
    // taking the clicks.
    if (!busy && m_opacity.value() <= 0)
        hide();
}

void BusyOverlay::setProgress(double value, const QString &text)
{
    if (text != m_text) {
        m_text = text;
        update(
            panelRect().toAlignedRect().marginsAdded(shadowReach(raisedShadows(kPanelDistance))));
        announceChange(this, QAccessible::NameChanged);
    }
    if (value != m_value.target())
        announceValue(this, value);
    // A new scan starts from nothing: the bar does not run backwards through the old value.
    if (value < m_value.target())
        m_value.jumpTo(value);
    else
        m_value.animateTo(value);
}

bool BusyOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

qreal BusyOverlay::textHeight() const
{
    const QFontMetricsF metrics(m_font);
    return std::max(metrics.height(), metrics
                                          .boundingRect(QRectF(0, 0, kTextWidth, 1000),
                                                        Qt::AlignHCenter | Qt::TextWordWrap, m_text)
                                          .height());
}

QRectF BusyOverlay::panelRect() const
{
    const QSizeF size(kTextWidth + 2 * kPadding,
                      kPadding + kBarHeight + kGap + textHeight() + kPadding - 2);
    QRectF panel(QPointF(), size);
    panel.moveCenter(QRectF(rect()).center());
    return QRectF(qRound(panel.x()), qRound(panel.y()), size.width(), size.height());
}

QRectF BusyOverlay::barRect() const
{
    const QRectF panel = panelRect();
    return QRectF(panel.center().x() - kBarWidth / 2, panel.top() + kPadding, kBarWidth,
                  kBarHeight);
}

QRectF BusyOverlay::textRect() const
{
    const QRectF panel = panelRect();
    return QRectF(panel.center().x() - kTextWidth / 2, barRect().bottom() + kGap, kTextWidth,
                  textHeight());
}

void BusyOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setOpacity(m_opacity.value());
    painter.fillRect(rect(), neuColor(neuBg, kDim));
    paintShadow(painter);
    paintSurface(painter);
    paintContent(painter);
}

void BusyOverlay::paintShadow(QPainter &painter) const
{
    m_panelShadow.paintShadows(painter, panelRect(), kPanelRadius, raisedShadows(kPanelDistance));
}

void BusyOverlay::paintSurface(QPainter &painter) const
{
    paintFace(painter, panelRect(), kPanelRadius, neuColor(neuBg));
}

void BusyOverlay::paintContent(QPainter &painter) const
{
    // The track is a pressed-in groove; the done part fills it from the left as a capsule
    // that never gets narrower than it is tall.
    const QRectF track = barRect();
    m_track.paintInset(painter, track, kBarHeight / 2, 2, neuColor(neuBg));
    const qreal done = std::clamp(m_value.value(), 0.0, 1.0);
    if (done > 0) {
        QRectF fill = track.adjusted(1, 1, -1, -1);
        fill.setWidth(std::max(fill.height(), fill.width() * done));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(neuColor(neuAccentDeep));
        painter.drawRoundedRect(fill, fill.height() / 2, fill.height() / 2);
    }
    painter.setFont(m_font);
    painter.setPen(neuInk(neuText));
    painter.drawText(textRect(), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_text);
}

AccessibleFacts BusyOverlay::accessibleFacts() const
{
    AccessibleFacts facts = readAs(QAccessible::ProgressBar, m_text);
    facts.progress = std::clamp(m_value.target(), 0.0, 1.0);
    facts.state.busy = m_busy;
    facts.state.invisible = !m_busy;
    return facts;
}

} // namespace brevik
