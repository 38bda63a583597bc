#include "ui/cards/statcard.h"

#include "ui/kit/symbols/symbolview.h"
#include "ui/kit/text/fittext.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/typography.h"

#include <QBoxLayout>

namespace brevik {

StatCard::StatCard(const QString &title, const QString &value, const QColor &color, Symbol icon,
                   QWidget *parent)
    : NeuPanel(neuRaised(18, 6), parent), m_icon(new SymbolView(icon, 11, color)),
      m_title(
          neuLabel(title, neuFont(11.5, QFont::DemiBold, FontDesign::rounded), neuTextSecondary)),
      m_value(new FitText(neuFont(20, QFont::Bold, FontDesign::rounded), neuText, 0.7))
{
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
    m_value->setText(value);
}

void StatCard::setAccent(const QColor &color, Symbol icon)
{
    m_icon->setSymbol(icon, color);
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

QColor StatCard::color() const
{
    return m_icon->color();
}

} // namespace brevik
