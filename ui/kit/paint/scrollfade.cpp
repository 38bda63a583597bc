#include "ui/kit/paint/scrollfade.h"

#include "ui/kit/palette/palette.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

namespace brevik {

namespace {

constexpr int kDepth = 16;

} // namespace

ScrollFade::ScrollFade(QScrollArea *area, Edge edge)
    : QWidget(area->viewport()), m_area(area), m_edge(edge)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    area->viewport()->installEventFilter(this);
    QScrollBar *bar = area->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &ScrollFade::follow);
    connect(bar, &QScrollBar::rangeChanged, this, &ScrollFade::follow);
    follow();
}

bool ScrollFade::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_area->viewport() && event->type() == QEvent::Resize)
        follow();
    return QWidget::eventFilter(watched, event);
}

void ScrollFade::follow()
{
    const QScrollBar *bar = m_area->verticalScrollBar();
    const bool more =
        m_edge == Edge::top ? bar->value() > bar->minimum() : bar->value() < bar->maximum();
    const QRect viewport = m_area->viewport()->rect();
    setGeometry(viewport.left(),
                m_edge == Edge::top ? viewport.top() : viewport.bottom() + 1 - kDepth,
                viewport.width(), kDepth);
    if (more == isVisibleTo(m_area->viewport()))
        return;
    setVisible(more);
    // Above the list, which the scroll area may have put in front since.
    if (more)
        raise();
}

void ScrollFade::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QLinearGradient gradient(0, m_edge == Edge::top ? 0 : height(), 0,
                             m_edge == Edge::top ? height() : 0);
    gradient.setColorAt(0, neuColor(neuBg));
    gradient.setColorAt(1, neuColor(neuBg, 0));
    painter.fillRect(rect(), gradient);
}

AccessibleFacts ScrollFade::accessibleFacts() const
{
    return decoration();
}

} // namespace brevik
