#include "ui/kit/access/paintedaccessible.h"

#include <QWidget>

#include <bit>

namespace brevik {

namespace {

QAccessible::State merged(QAccessible::State ours, QAccessible::State added)
{
    return std::bit_cast<QAccessible::State>(std::bit_cast<quint64>(ours) |
                                             std::bit_cast<quint64>(added));
}

} // namespace

bool isDecorative(const QWidget *widget)
{
    const auto *speakable = dynamic_cast<const Speakable *>(widget);
    return speakable && speakable->accessibleFacts().decorative;
}

PaintedAccessible::PaintedAccessible(QWidget *widget, const Speakable *speakable)
    : QAccessibleWidget(widget), m_speakable(speakable)
{
}

AccessibleFacts PaintedAccessible::facts() const
{
    AccessibleFacts facts = m_speakable->accessibleFacts();
    if (!m_speakable->spokenName().isEmpty())
        facts.name = m_speakable->spokenName();
    return facts;
}

QAccessible::Role PaintedAccessible::role() const
{
    return facts().role;
}

QString PaintedAccessible::text(QAccessible::Text t) const
{
    const AccessibleFacts known = facts();
    switch (t) {
    case QAccessible::Name:
        if (!known.name.isEmpty())
            return known.name;
        break;
    case QAccessible::Description:
        if (!known.description.isEmpty())
            return known.description;
        break;
    case QAccessible::Value:
        if (known.progress)
            return QStringLiteral("%1%").arg(qRound(*known.progress * 100));
        break;
    default:
        break;
    }
    return QAccessibleWidget::text(t);
}

QAccessible::State PaintedAccessible::state() const
{
    const AccessibleFacts known = facts();
    QAccessible::State state = merged(QAccessibleWidget::state(), known.state);
    if (known.decorative)
        state.invisible = true;
    return state;
}

void *PaintedAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface && facts().progress)
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

// The child widgets in the order they are read, without windows and without the ones that
// have nothing to read; hidden ones stay, marked invisible, as Qt marks its own.
QWidgetList PaintedAccessible::readChildren() const
{
    QWidgetList candidates;
    if (const std::optional<QWidgetList> ordered = m_speakable->accessibleChildren()) {
        candidates = *ordered;
    } else {
        for (QObject *object : widget()->children()) {
            if (object->isWidgetType())
                candidates << static_cast<QWidget *>(object);
        }
    }
    QWidgetList children;
    for (QWidget *child : std::as_const(candidates)) {
        if (!child->isWindow() && !isDecorative(child))
            children << child;
    }
    return children;
}

int PaintedAccessible::childCount() const
{
    return int(readChildren().size());
}

QAccessibleInterface *PaintedAccessible::child(int index) const
{
    const QWidgetList children = readChildren();
    if (index < 0 || index >= children.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(children.at(index));
}

int PaintedAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || !child->object() || !child->object()->isWidgetType())
        return -1;
    return int(readChildren().indexOf(static_cast<QWidget *>(child->object())));
}

QVariant PaintedAccessible::currentValue() const
{
    return qRound(facts().progress.value_or(0) * 100);
}

void PaintedAccessible::setCurrentValue(const QVariant &) {}

QVariant PaintedAccessible::maximumValue() const
{
    return 100;
}

QVariant PaintedAccessible::minimumValue() const
{
    return 0;
}

QVariant PaintedAccessible::minimumStepSize() const
{
    return 1;
}

} // namespace brevik
