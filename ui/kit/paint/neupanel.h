#pragma once

#include "ui/kit/access/speakable.h"
#include "ui/kit/paint/neusurface.h"
#include "ui/kit/paint/shadowlayer.h"

#include <QWidget>

namespace brevik {

// A surface behind whatever its layout holds: a raised card or a pressed-in box.
class NeuPanel : public QWidget, public ShadowCaster, public Speakable {
    Q_OBJECT

public:
    explicit NeuPanel(const NeuSurface &surface, QWidget *parent = nullptr);

    NeuSurface surface() const { return m_surface; }

    QMargins shadowMargins() const override;
    void paintShadow(QPainter &painter) const override;

    // A plain box; a card says what it holds.
    AccessibleFacts accessibleFacts() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void paintSurface(QPainter &painter) const;
    // What a subclass draws over the surface besides its child widgets.
    virtual void paintContent(QPainter &painter) const;

private:
    NeuSurface m_surface;
    mutable ReliefMemo m_relief;
    CastShadow m_shadow{this, this};
};

} // namespace brevik
