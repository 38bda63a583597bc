#pragma once

#include "ui/kit/access/speakable.h"

#include <QAccessibleWidget>

namespace brevik {

// The interface of a Speakable widget: its role, texts and state from its facts, a value
// for a progress, and for children the widgets inside it that have something to read.
class PaintedAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    PaintedAccessible(QWidget *widget, const Speakable *speakable);

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

protected:
    AccessibleFacts facts() const;

private:
    QWidgetList readChildren() const;

    const Speakable *m_speakable;
};

// Whether a widget has nothing to read (a shadow, a fade, a symbol that only decorates).
bool isDecorative(const QWidget *widget);

} // namespace brevik
