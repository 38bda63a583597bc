#include "ui/kit/controls/segmentedaccessible.h"

#include "ui/kit/controls/neusegmented.h"

#include <QPointer>
#include <QWidget>

namespace brevik {

namespace {

// One option: not a widget of its own, only a part of the control's drawing.
class OptionAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    OptionAccessible(NeuSegmented *segmented, int index) : m_segmented(segmented), m_index(index) {}

    bool isValid() const override { return m_segmented && m_index < m_segmented->options().size(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override
    {
        return m_segmented ? m_segmented->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_segmented.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        return m_segmented->options().at(m_index).second;
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect option = m_segmented->optionRect(m_index);
        return QRect(m_segmented->mapToGlobal(option.topLeft()), option.size());
    }
    QAccessible::Role role() const override { return QAccessible::RadioButton; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        const bool selected = m_segmented->selectedIndex() == m_index;
        state.focusable = true;
        state.checkable = true;
        state.checked = selected;
        state.focused = selected && m_segmented->hasFocus();
        state.disabled = !m_segmented->isEnabled();
        state.invisible = !m_segmented->isVisible();
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && isValid() && m_segmented->isEnabled())
            m_segmented->setSelection(m_segmented->options().at(m_index).first);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<NeuSegmented> m_segmented;
    int m_index;
};

} // namespace

SegmentedAccessible::SegmentedAccessible(NeuSegmented *segmented, const Speakable *speakable)
    : PaintedAccessible(segmented, speakable)
{
}

SegmentedAccessible::~SegmentedAccessible()
{
    for (QAccessible::Id id : std::as_const(m_options))
        QAccessible::deleteAccessibleInterface(id);
}

NeuSegmented *SegmentedAccessible::segmented() const
{
    return static_cast<NeuSegmented *>(widget());
}

int SegmentedAccessible::childCount() const
{
    return int(segmented()->options().size());
}

QAccessibleInterface *SegmentedAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    while (m_options.size() <= index) {
        m_options << QAccessible::registerAccessibleInterface(
            new OptionAccessible(segmented(), int(m_options.size())));
    }
    return QAccessible::accessibleInterface(m_options.at(index));
}

int SegmentedAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (int i = 0; i < m_options.size() && i < childCount(); ++i) {
        if (QAccessible::accessibleInterface(m_options.at(i)) == child)
            return i;
    }
    return -1;
}

QAccessibleInterface *SegmentedAccessible::focusChild() const
{
    const int selected = segmented()->selectedIndex();
    return segmented()->hasFocus() && selected >= 0 ? child(selected) : nullptr;
}

QAccessibleInterface *SegmentedAccessible::childAt(int x, int y) const
{
    const QPoint local = segmented()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < childCount(); ++i) {
        if (segmented()->optionRect(i).contains(local))
            return child(i);
    }
    return nullptr;
}

} // namespace brevik
