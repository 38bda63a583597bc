#pragma once

#include "ui/kit/access/paintedaccessible.h"

#include <QList>

namespace brevik {

class NeuSegmented;

// A segmented control as a screen reader reaches it: a group holding one radio button per
// option, the selected one checked (and focused while the control has the focus); pressing
// an option selects it.
class SegmentedAccessible final : public PaintedAccessible {
public:
    SegmentedAccessible(NeuSegmented *segmented, const Speakable *speakable);
    ~SegmentedAccessible() override;

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *focusChild() const override;
    QAccessibleInterface *childAt(int x, int y) const override;

private:
    NeuSegmented *segmented() const;

    mutable QList<QAccessible::Id> m_options; // made when first asked for, one per option
};

} // namespace brevik
