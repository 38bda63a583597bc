#include "ui/kit/access/speakable.h"

#include "ui/kit/access/paintedaccessible.h"

#include <QWidget>

namespace brevik {

AccessibleFacts readAs(QAccessible::Role role, const QString &name, const QString &description)
{
    AccessibleFacts facts;
    facts.role = role;
    facts.name = name;
    facts.description = description;
    return facts;
}

AccessibleFacts decoration()
{
    AccessibleFacts facts;
    facts.decorative = true;
    return facts;
}

QAccessibleInterface *Speakable::createAccessible(QWidget *self) const
{
    return new PaintedAccessible(self, this);
}

void Speakable::setSpokenName(const QString &name)
{
    if (name == m_spokenName)
        return;
    m_spokenName = name;
    // A name given while the widget is being built is read with it, not announced.
    auto *widget = dynamic_cast<QWidget *>(this);
    if (widget && widget->isVisible())
        announceChange(widget, QAccessible::NameChanged);
}

QAccessibleInterface *speakableFactory(const QString &, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (const auto *speakable = dynamic_cast<const Speakable *>(widget))
        return speakable->createAccessible(widget);
    return nullptr;
}

void installAccessibleInterfaces()
{
    // Qt keeps a factory once however often it is installed.
    QAccessible::installFactory(&speakableFactory);
}

void announceChange(QWidget *widget, QAccessible::Event change)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(widget, change);
    QAccessible::updateAccessibility(&event);
}

void announceValue(QWidget *widget, double progress)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(widget, qRound(progress * 100));
    QAccessible::updateAccessibility(&event);
}

void announceState(QWidget *widget, QAccessible::State changed)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleStateChangeEvent event(widget, changed);
    QAccessible::updateAccessibility(&event);
}

void announceText(QWidget *widget, const QString &text)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (!QAccessible::isActive() || text.isEmpty())
        return;
    QAccessibleAnnouncementEvent event(widget, text);
    QAccessible::updateAccessibility(&event);
#else
    Q_UNUSED(widget);
    Q_UNUSED(text);
#endif
}

} // namespace brevik
