#include "ui/cards/statcard.h"

#include "ui/kit/symbols/symbolview.h"
#include "ui/kit/text/fittext.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/typography.h"

#include <QBoxLayout>

namespace brevik {

StatCard::StatCard(const QString &title, const QString &value, NeuRole color, Symbol icon,
                   QWidget *parent)
    : NeuPanel(neuRaised(18, 6), parent), m_icon(new SymbolView(icon, 11, color)),
      m_title(
          neuLabel(title, neuFont(11.5, QFont::DemiBold, FontDesign::rounded), neuTextSecondary)),
      m_value(new FitText(neuFont(20, QFont::Bold, FontDesign::rounded), neuText, 0.7))
{
    m_icon->setSpokenName(severityWord(color));
    m_value->setText(value);
    auto *heading = new QHBoxLayout;
    heading->setSpacing(6);
    heading->addWidget(m_icon);
    heading->addWidget(m_title, 1);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(16, 14, 16, 14);
    column->setSpacing(8);
    column->addLayout(heading);
    column->addWidget(m_value);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatCard::setValue(const QString &value)
{
    if (value == m_value->text())
        return;
    m_value->setText(value);
    announceChange(this, QAccessible::DescriptionChanged);
}

void StatCard::setAccent(NeuRole color, Symbol icon)
{
    m_icon->setSymbol(icon, color);
    m_icon->setSpokenName(severityWord(color));
}

QString StatCard::title() const
{
    return m_title->text();
}

QString StatCard::value() const
{
    return m_value->text();
}

Symbol StatCard::icon() const
{
    return m_icon->symbol();
}

NeuRole StatCard::color() const
{
    return m_icon->color();
}

AccessibleFacts StatCard::accessibleFacts() const
{
    return readAs(QAccessible::Grouping, title(), value());
}

} // namespace brevik
