#pragma once

#include "ui/kit/motion/motion.h"
#include "ui/kit/paint/neusurface.h"
#include "ui/kit/paint/shadowlayer.h"
#include "ui/kit/symbols/symbols.h"
#include "ui/kit/text/textrun.h"

#include <QAbstractButton>
#include <QFont>
#include <QMargins>

#include <optional>

namespace brevik {

// How a button's label and background look for its flags.
struct NeuButtonStyle {
    bool accent = false;
    bool hovering = false;
    bool compact = false;
    NeuRole tint = neuText;

    QFont font() const;
    qreal symbolSize() const;
    QColor labelColor() const;
    QMargins padding() const;
    // Pressed in at distance 4 while held down, else raised at 3 under the pointer, else 6.
    NeuSurface background(bool pressed) const;
};

// A soft-relief push button: a symbol and a one-line title on a raised surface that sinks
// in while held down. Disabled, it ignores the pointer and fades to half opacity.
class NeuButton final : public QAbstractButton, public ShadowCaster {
    Q_OBJECT

public:
    explicit NeuButton(const QString &title = {}, std::optional<Symbol> symbol = {},
                       QWidget *parent = nullptr);

    void setTitle(const QString &title);
    QString title() const { return text(); }
    void setSymbol(std::optional<Symbol> symbol);
    std::optional<Symbol> symbol() const { return m_symbol; }
    void setAccent(bool accent);
    bool accent() const { return m_style.accent; }
    void setCompact(bool compact);
    bool compact() const { return m_style.compact; }
    void setTint(NeuRole tint);
    void setHelp(const QString &help) { setToolTip(help); }

    bool hovering() const { return m_style.hovering; }
    // The depth of the surface and how far it has sunk in (0 raised, 1 pressed in) as
    // drawn now, and the opacity; all three move over 0.28 s.
    qreal distance() const { return m_distance.value(); }
    qreal pressedAmount() const { return m_pressed.value(); }
    qreal opacity() const { return m_opacity.value(); }
    // Whether it wears the focus ring: it has the focus, and the keyboard brought it.
    bool showsFocusRing() const { return m_keyboardFocus; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    QMargins shadowMargins() const override;
    void paintShadow(QPainter &painter) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void paintSurface(QPainter &painter) const;
    void paintContent(QPainter &painter) const;
    void followState();
    void repaintAll();
    void relayout();

    std::optional<Symbol> m_symbol;
    bool m_keyboardFocus = false; // a focus ring only for focus reached with the keyboard
    NeuButtonStyle m_style;
    TextRun m_title;
    AnimatedValue m_distance;
    AnimatedValue m_pressed;
    AnimatedValue m_opacity;
    mutable ReliefMemo m_shadowRelief;
    mutable ReliefMemo m_insetRelief;
    CastShadow m_shadow{this, this};
};

} // namespace brevik
