#include "ui/kit/paint/neupanel.h"

#include <QPainter>

namespace brevik {

NeuPanel::NeuPanel(const NeuSurface &surface, QWidget *parent) : QWidget(parent), m_surface(surface)
{
}

QMargins NeuPanel::shadowMargins() const
{
    return brevik::shadowMargins(m_surface);
}

void NeuPanel::paintShadow(QPainter &painter) const
{
    if (!m_surface.inset)
        m_relief.paintShadows(painter, rect(), m_surface.radius, raisedShadows(m_surface.distance));
}

void NeuPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintSurface(painter);
    paintContent(painter);
}

void NeuPanel::paintSurface(QPainter &painter) const
{
    if (m_surface.inset)
        m_relief.paintInset(painter, rect(), m_surface.radius, m_surface.distance,
                            neuColor(m_surface.fill));
    else
        paintFace(painter, rect(), m_surface.radius, neuColor(m_surface.fill));
}

void NeuPanel::paintContent(QPainter &) const {}

AccessibleFacts NeuPanel::accessibleFacts() const
{
    return {};
}

} // namespace brevik
