#pragma once

#include "ui/kit/access/speakable.h"
#include "ui/kit/paint/relief.h"
#include "ui/kit/paint/shadowlayer.h"
#include "ui/kit/palette/palette.h"
#include "ui/kit/symbols/symbols.h"

#include <QWidget>

namespace brevik {

// A raised disc holding one symbol: the severity of a finding, the state of the guardian.
class NeuBadge final : public QWidget, public ShadowCaster, public Speakable {
    Q_OBJECT

public:
    NeuBadge(int diameter, Symbol symbol, NeuRole color, QWidget *parent = nullptr);

    void setSymbol(Symbol symbol, NeuRole color);
    Symbol symbol() const { return m_symbol; }
    NeuRole color() const { return m_color; }

    QSize sizeHint() const override { return {m_diameter, m_diameter}; }

    QMargins shadowMargins() const override;
    void paintShadow(QPainter &painter) const override;

    AccessibleFacts accessibleFacts() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintSurface(QPainter &painter) const;
    void paintContent(QPainter &painter) const;

    int m_diameter;
    Symbol m_symbol;
    NeuRole m_color;
    mutable ReliefMemo m_relief;
    CastShadow m_shadow{this, this};
};

} // namespace brevik
