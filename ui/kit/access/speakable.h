#pragma once

#include <QAccessible>
#include <QString>
#include <QWidgetList>

#include <optional>

class QAccessibleInterface;
class QWidget;

namespace brevik {

// What a screen reader reads of a widget that paints itself: what it is, what it says, what
// more there is to know, its state, and for a progress its value.
struct AccessibleFacts {
    QAccessible::Role role = QAccessible::Client;
    QString name;
    QString description;
    QAccessible::State state;       // added to what Qt knows (focus, visibility, enabled)
    std::optional<double> progress; // 0 to 1, read as a percentage
    bool decorative = false;        // nothing to read: left out of the tree
};

// The facts of a widget read as `role` saying `name`.
AccessibleFacts readAs(QAccessible::Role role, const QString &name = {},
                       const QString &description = {});
// The facts of a widget with nothing to read.
AccessibleFacts decoration();

// A painted widget that tells a screen reader what it shows. Its facts are worked out when a
// screen reader asks, never before: while none listens, nothing here costs anything.
class Speakable {
public:
    virtual AccessibleFacts accessibleFacts() const = 0;
    // The interface a screen reader reads `self` through. A widget with parts a screen
    // reader should reach one by one (the options of a segmented control) gives its own.
    virtual QAccessibleInterface *createAccessible(QWidget *self) const;
    // The widgets inside in the order they are read, where that is not the order they were
    // made in (cards added as findings come); an empty list makes a leaf. Nothing: Qt's order.
    virtual std::optional<QWidgetList> accessibleChildren() const { return std::nullopt; }

    // A name its owner gives a widget that does not say it itself (what a symbol means
    // where it stands); empty leaves the widget's own.
    void setSpokenName(const QString &name);
    QString spokenName() const { return m_spokenName; }

protected:
    ~Speakable() = default;

private:
    QString m_spokenName;
};

// Puts the interfaces of every Speakable widget in place; more calls do nothing.
void installAccessibleInterfaces();
QAccessibleInterface *speakableFactory(const QString &className, QObject *object);

// Tells a listening screen reader that something a widget shows has changed; nothing at all
// (not even an interface is made) while no screen reader listens.
void announceChange(QWidget *widget, QAccessible::Event change);
void announceValue(QWidget *widget, double progress);
void announceState(QWidget *widget, QAccessible::State changed);
// Says a short text out of turn (the outcome of a repair), where the platform can
// (Qt 6.8 and later); elsewhere the changed name of the widget showing it is all there is.
void announceText(QWidget *widget, const QString &text);

} // namespace brevik
