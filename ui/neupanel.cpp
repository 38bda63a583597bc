#include "ui/neupanel.h"

#include <QPainter>

NeuPanel::NeuPanel(const NeuSurface &surface, QWidget *parent) : QWidget(parent), m_surface(surface)
{
}

QMargins NeuPanel::shadowMargins() const
{
    return ::shadowMargins(m_surface);
}

void NeuPanel::paintShadow(QPainter &painter) const
{
    paintSurfaceShadows(painter, rect(), m_surface);
}

void NeuPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintSurface(painter);
    paintContent(painter);
}

void NeuPanel::paintSurface(QPainter &painter) const
{
    ::paintSurface(painter, rect(), m_surface);
}

void NeuPanel::paintContent(QPainter &) const {}
