#pragma once

#include "ui/kit/controls/keyboardring.h"
#include "ui/kit/paint/shadowlayer.h"
#include "ui/kit/palette/palette.h"
#include "ui/kit/symbols/symbols.h"
#include "ui/kit/text/textrun.h"

#include <QAbstractButton>
#include <QFont>

#include <optional>

namespace brevik {

// A borderless button: a symbol and a text in one colour, nothing behind them; it dims a
// little under the pointer. Reached with the keyboard, it wears the focus ring around its
// label.
class PlainButton final : public QAbstractButton, public ShadowCaster {
    Q_OBJECT

public:
    PlainButton(const QFont &font, qreal symbolSize, NeuRole color, QWidget *parent = nullptr);

    void setLabel(const QString &text, std::optional<Symbol> symbol);
    std::optional<Symbol> symbol() const { return m_symbol; }

    bool showsFocusRing() const { return m_ring.shown(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    QMargins shadowMargins() const override;
    void paintShadow(QPainter &painter) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void paintContent(QPainter &painter) const;

    TextRun m_text;
    qreal m_symbolSize;
    NeuRole m_color;
    std::optional<Symbol> m_symbol;
    bool m_hovering = false;
    KeyboardRing m_ring{this, this};
};

} // namespace brevik
