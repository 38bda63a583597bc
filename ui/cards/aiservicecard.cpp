#include "ui/cards/aiservicecard.h"

#include "ui/kit/controls/statusdot.h"
#include "ui/kit/symbols/symbolview.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/typography.h"

#include <QBoxLayout>
#include <QLabel>

namespace brevik {

namespace {

QString reachWord(bool reached)
{
    return reached ? AIServiceCard::tr("可达") : AIServiceCard::tr("不可达");
}

} // namespace

AIServiceCard::AIServiceCard(const AIStatus &item, bool proxied, QWidget *parent)
    : NeuPanel(neuRaised(16, 5), parent), m_proxied(proxied),
      m_name(neuLabel({}, neuFont(13, QFont::Bold, FontDesign::rounded), neuText)),
      m_verdict(new SymbolView(Symbol::xmarkCircleFill, 13, neuDanger)),
      m_direct(new StatusDot(tr("直连"))), m_proxy(new StatusDot(tr("代理"))),
      m_latency(neuLabel({}, neuFont(11, QFont::Normal, FontDesign::monospaced), neuTextSecondary))
{
    auto *top = new QHBoxLayout;
    top->addWidget(m_name, 1);
    top->addWidget(m_verdict);

    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    bottom->addWidget(m_direct);
    bottom->addWidget(m_proxy);
    bottom->addStretch(1);
    bottom->addWidget(m_latency);
    for (StatusDot *dot : {m_direct, m_proxy})
        dot->setStateWords(reachWord(true), reachWord(false));

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(9);
    column->addLayout(top);
    column->addLayout(bottom);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setItem(item, proxied);
}

void AIServiceCard::setItem(const AIStatus &item, bool proxied)
{
    m_item = item;
    m_proxied = proxied;
    const bool reached = item.directOK || item.proxyOK;
    m_name->setText(item.name);
    m_verdict->setSymbol(reached ? Symbol::checkmarkCircleFill : Symbol::xmarkCircleFill,
                         reached ? neuSuccess : neuDanger);
    m_direct->setOn(item.directOK);
    m_proxy->setOn(item.proxyOK);
    m_verdict->setSpokenName(reachWord(reached));
    m_latency->setText(reached ? tr("%1 ms").arg(item.latencyMs) : reachWord(false));
    announceChange(this, QAccessible::NameChanged);
    announceChange(this, QAccessible::DescriptionChanged);
}

QString AIServiceCard::latencyText() const
{
    return m_latency->text();
}

AccessibleFacts AIServiceCard::accessibleFacts() const
{
    const QString direct = reachWord(m_item.directOK);
    const QString proxy = reachWord(m_item.proxyOK);
    const QString facts = m_item.directOK || m_item.proxyOK
                              ? tr("直连%1，代理%2，%3").arg(direct, proxy, latencyText())
                              : tr("直连%1，代理%2").arg(direct, proxy);
    return readAs(QAccessible::Grouping, m_item.name, facts);
}

} // namespace brevik
