#pragma once

#include "ui/kit/access/speakable.h"
#include "ui/kit/controls/keyboardring.h"
#include "ui/kit/motion/motion.h"
#include "ui/kit/paint/relief.h"
#include "ui/kit/paint/shadowlayer.h"
#include "ui/kit/text/textrun.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>
#include <utility>
#include <vector>

namespace brevik {

// A row of options in a pressed-in well; the selected one is pressed in and drawn in the
// accent, the others stand raised. The selection is a value compared with each option's.
// One stop for the tab key, where the arrow keys move the selection; a screen reader reads
// it as a group of radio buttons, one per option, the selected one checked.
class NeuSegmented final : public QWidget, public ShadowCaster, public Speakable {
    Q_OBJECT
    Q_PROPERTY(QVariant selection READ selection WRITE setSelection NOTIFY selectionChanged)

public:
    using Option = std::pair<QVariant, QString>; // value, label

    explicit NeuSegmented(QList<Option> options = {}, QWidget *parent = nullptr);
    ~NeuSegmented() override;

    void setOptions(QList<Option> options);
    QList<Option> options() const { return m_options; }
    QVariant selection() const { return m_selection; }
    void setSelection(const QVariant &value);

    // How far each option has sunk in (0 raised, 1 selected), as drawn now.
    qreal selectedAmount(int index) const;
    QRect optionRect(int index) const;

    int selectedIndex() const;
    bool showsFocusRing() const { return m_ring.shown(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    QMargins shadowMargins() const override;
    void paintShadow(QPainter &painter) const override;

    AccessibleFacts accessibleFacts() const override;
    QAccessibleInterface *createAccessible(QWidget *self) const override;

signals:
    void selectionChanged(const QVariant &selection);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void paintSurface(QPainter &painter) const;
    void paintContent(QPainter &painter) const;
    qreal optionWidth(int index) const;
    void announceSelection(int previous) const;

    QList<Option> m_options;
    QVariant m_selection;
    std::vector<std::unique_ptr<AnimatedValue>> m_selected; // one per option
    std::vector<TextRun> m_labels;                          // one per option
    mutable ReliefMemo m_well;
    KeyboardRing m_ring{this, this};
};

} // namespace brevik
