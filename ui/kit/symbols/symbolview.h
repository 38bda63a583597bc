#pragma once

#include "ui/kit/access/speakable.h"
#include "ui/kit/palette/palette.h"
#include "ui/kit/symbols/symbols.h"

#include <QWidget>

namespace brevik {

// One symbol in one colour, standing in a layout like a label.
class SymbolView final : public QWidget, public Speakable {
    Q_OBJECT

public:
    SymbolView(Symbol symbol, qreal size, NeuRole color, QWidget *parent = nullptr);

    void setSymbol(Symbol symbol, NeuRole color);
    Symbol symbol() const { return m_symbol; }
    NeuRole color() const { return m_color; }

    QSize sizeHint() const override;

    AccessibleFacts accessibleFacts() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Symbol m_symbol;
    qreal m_size;
    NeuRole m_color;
};

} // namespace brevik
