#pragma once

#include "ui/kit/symbols/symbols.h"
#include "ui/kit/text/textrun.h"

#include <QAbstractButton>
#include <QFont>

#include <optional>

namespace brevik {

// A borderless button: a symbol and a text in one colour, nothing behind them; it dims a
// little under the pointer.
class PlainButton final : public QAbstractButton {
    Q_OBJECT

public:
    PlainButton(const QFont &font, qreal symbolSize, const QColor &color,
                QWidget *parent = nullptr);

    void setLabel(const QString &text, std::optional<Symbol> symbol);
    std::optional<Symbol> symbol() const { return m_symbol; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void paintContent(QPainter &painter) const;

    TextRun m_text;
    qreal m_symbolSize;
    QColor m_color;
    std::optional<Symbol> m_symbol;
    bool m_hovering = false;
    bool m_keyboardFocus = false; // underlined only for focus reached with the keyboard
};

} // namespace brevik
