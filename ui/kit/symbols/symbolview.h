#pragma once

#include "ui/kit/symbols/symbols.h"

#include <QWidget>

namespace brevik {

// One symbol in one colour, standing in a layout like a label.
class SymbolView final : public QWidget {
    Q_OBJECT

public:
    SymbolView(Symbol symbol, qreal size, const QColor &color, QWidget *parent = nullptr);

    void setSymbol(Symbol symbol, const QColor &color);
    Symbol symbol() const { return m_symbol; }
    QColor color() const { return m_color; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Symbol m_symbol;
    qreal m_size;
    QColor m_color;
};

} // namespace brevik
