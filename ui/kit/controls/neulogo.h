#pragma once

#include "ui/kit/access/speakable.h"
#include "ui/kit/paint/relief.h"
#include "ui/kit/paint/shadowlayer.h"

#include <QPointF>
#include <QRectF>
#include <QWidget>

namespace brevik {

// The application's mark: a raised disc holding the wifi symbol, with a shield badge
// at its lower right.
class NeuLogo final : public QWidget, public ShadowCaster, public Speakable {
    Q_OBJECT

public:
    // Where the parts of a logo of side `size` go, around the centre of its square.
    struct Layout {
        QRectF disc;
        QPointF wifiCenter;
        qreal wifiSize = 0;
        QPointF badgeCenter;
        qreal badgeSize = 0;
    };
    static Layout layoutFor(qreal size);

    explicit NeuLogo(qreal size = 52, QWidget *parent = nullptr);

    void setLogoSize(qreal size);
    qreal logoSize() const { return m_size; }

    QSize sizeHint() const override;

    QMargins shadowMargins() const override;
    void paintShadow(QPainter &painter) const override;

    AccessibleFacts accessibleFacts() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintSurface(QPainter &painter) const;
    void paintContent(QPainter &painter) const;

    qreal m_size;
    mutable ReliefMemo m_relief;
    CastShadow m_shadow{this, this};
};

} // namespace brevik
