#include "ui/kit/motion/reveal.h"

#include <QResizeEvent>

namespace brevik {

Reveal::Reveal(QWidget *content, QWidget *parent)
    : QWidget(parent), m_content(content), m_amount(this, 0, [this] { follow(); })
{
    m_content->setParent(this);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    hide();
}

void Reveal::setExpanded(bool expanded, bool animated)
{
    if (expanded)
        show();
    if (animated)
        m_amount.animateTo(expanded ? 1 : 0);
    else
        m_amount.jumpTo(expanded ? 1 : 0);
}

int Reveal::contentHeight(int width) const
{
    return m_content->hasHeightForWidth() ? m_content->heightForWidth(width)
                                          : m_content->sizeHint().height();
}

int Reveal::heightForWidth(int width) const
{
    return qRound(contentHeight(width) * m_amount.value());
}

QSize Reveal::sizeHint() const
{
    const QSize content = m_content->sizeHint();
    return {content.width(), qRound(content.height() * m_amount.value())};
}

QSize Reveal::minimumSizeHint() const
{
    return {m_content->minimumSizeHint().width(), 0};
}

bool Reveal::event(QEvent *event)
{
    // The child's layout asks its parent to lay out again when the child's size hint
    // changed; Reveal has no layout of its own, so it passes the news on and refits it.
    if (event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        m_content->setGeometry(0, 0, width(), contentHeight(width()));
    }
    return QWidget::event(event);
}

void Reveal::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The content keeps its full height and is uncovered from the top.
    m_content->setGeometry(0, 0, width(), contentHeight(width()));
}

void Reveal::follow()
{
    if (m_amount.value() <= 0 && m_amount.target() <= 0)
        hide();
    updateGeometry();
}

} // namespace brevik
