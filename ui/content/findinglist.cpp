#include "ui/content/findinglist.h"

#include "ui/cards/aiservicecard.h"
#include "ui/cards/findingcard.h"
#include "ui/cards/guardiancard.h"
#include "ui/kit/palette/theme.h"
#include "ui/kit/symbols/symbolview.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/typography.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>

namespace brevik {

namespace {

constexpr int kCardSpacing = 14;
constexpr int kAIColumns = 3;

bool sameRepair(const std::optional<FixAction> &a, const std::optional<FixAction> &b)
{
    if (!a || !b)
        return a.has_value() == b.has_value();
    return a->id == b->id && a->title == b->title && a->operations == b->operations &&
           a->needsAdmin == b->needsAdmin;
}

// Everything a finding card shows or acts on. Two findings equal as observations (id,
// severity, detail) may still differ in the title, the hint, the steps or the repair.
bool showsSame(const Finding &a, const Finding &b)
{
    return a == b && a.title == b.title && a.category == b.category && a.fixHint == b.fixHint &&
           a.manualSteps == b.manualSteps && sameRepair(a.fix, b.fix);
}

void retire(QWidget *widget)
{
    widget->hide();
    widget->deleteLater();
}

} // namespace

// A section's heading: its symbol and title; a little room above it sets the sections apart.
// A screen reader reads it as a heading, to jump from section to section.
class SectionTitle final : public QWidget, public Speakable {
public:
    SectionTitle(Symbol symbol, const char *name, QWidget *parent = nullptr)
        : QWidget(parent), m_text(neuLabel({}, neuFont(13.5, QFont::Bold), neuText))
    {
        setObjectName(QLatin1String(name));
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(2, 8, 0, 0);
        row->setSpacing(7);
        row->addWidget(new SymbolView(symbol, 12, neuAccentDeep));
        row->addWidget(m_text, 1);
    }

    void setText(const QString &text) { m_text->setText(text); }
    QString text() const { return m_text->text(); }

    AccessibleFacts accessibleFacts() const override
    {
        return readAs(QAccessible::Heading, text());
    }
    // The heading says it all; its symbol and label are not read again.
    std::optional<QWidgetList> accessibleChildren() const override { return QWidgetList(); }

private:
    QLabel *m_text;
};

FindingList::FindingList(AppModel *model, QWidget *parent)
    : QWidget(parent), m_model(model), m_aiTitle(new SectionTitle(Symbol::sparkles, "aiSection")),
      m_aiGrid(new QGridLayout),
      m_problemsTitle(new SectionTitle(Symbol::exclamationmarkTriangleFill, "problemsSection")),
      m_emptyProblems(buildEmptyPanel()), m_problemsColumn(new QVBoxLayout),
      m_passesTitle(new SectionTitle(Symbol::checkmarkCircleFill, "passesSection")),
      m_passesColumn(new QVBoxLayout)
{
    // Opaque, so that scrolling moves pixels instead of repainting what lies behind.
    fillWithBackground(this);

    m_aiTitle->setText(tr("AI 服务连通性"));
    m_aiGrid->setSpacing(12);
    for (int column = 0; column < kAIColumns; ++column)
        m_aiGrid->setColumnStretch(column, 1);
    m_problemsColumn->setSpacing(kCardSpacing);
    m_passesColumn->setSpacing(kCardSpacing);

    // Layouts, not container widgets: a container would clip the cards' shadows. The side
    // margins leave those shadows room inside the scrolling area.
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(24, 18, 24, 24);
    column->setSpacing(kCardSpacing);
    m_guardian = new GuardianCard(model);
    m_guardian->setObjectName(QStringLiteral("guardian"));
    column->addWidget(m_guardian);
    column->addWidget(m_aiTitle);
    column->addLayout(m_aiGrid);
    column->addWidget(m_problemsTitle);
    column->addWidget(m_emptyProblems);
    column->addLayout(m_problemsColumn);
    column->addWidget(m_passesTitle);
    column->addLayout(m_passesColumn);
    column->addStretch(1);
    followEmptyPanel();
    followFilter();
}

QWidget *FindingList::buildEmptyPanel()
{
    auto *panel = new NeuPanel(neuRaised(20, 6));
    panel->setObjectName(QStringLiteral("emptyProblems"));
    m_emptySign = new SymbolView(Symbol::checkmarkSealFill, 22, neuSuccess);
    m_emptyTitle = neuLabel({}, neuFont(14, QFont::DemiBold), neuText);
    m_emptyText = neuLabel({}, neuFont(12), neuTextSecondary, LabelFlow::wrapping);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(m_emptyTitle);
    texts->addWidget(m_emptyText);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(20, 18, 20, 18);
    row->setSpacing(14);
    row->addWidget(m_emptySign);
    row->addLayout(texts, 1);
    return panel;
}

void FindingList::followEmptyPanel()
{
    // While a scan runs, no problem yet is no verdict yet.
    if (!m_settled) {
        m_emptySign->setSymbol(Symbol::infoCircleFill, neuTextSecondary);
        m_emptyTitle->setText(tr("暂未发现需要修复的问题"));
        m_emptyText->setText(tr("扫描还在进行，发现的问题会出现在这里。"));
        return;
    }
    m_emptySign->setSymbol(Symbol::checkmarkSealFill, neuSuccess);
    m_emptyTitle->setText(tr("没有发现需要修复的问题"));
    // An AI service out of reach is no problem of this Mac's, but it is not "normal" either.
    m_emptyText->setText(
        m_unreachableAI == 0
            ? tr("网络连接、DNS、代理与 AI 服务均正常。")
            : tr("网络连接、DNS 与代理均正常；%n 个 AI 服务暂时连不上，见上方「AI 服务连通性」。",
                 nullptr, int(m_unreachableAI)));
}

void FindingList::setFilter(FilterMode filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    followFilter();
}

void FindingList::setFindings(const QList<Finding> &problems, const QList<Finding> &passes,
                              bool settled)
{
    m_settled = settled;
    syncCards(m_problemsColumn, m_problemCards, problems);
    syncCards(m_passesColumn, m_passCards, passes);
    m_problemsTitle->setText(tr("需要处理的问题（%1）").arg(problems.size()));
    m_passesTitle->setText(tr("检查通过项（%1）").arg(passes.size()));
    followEmptyPanel();
    followFilter();
}

void FindingList::syncCards(QBoxLayout *layout, QList<FindingCard *> &cards,
                            const QList<Finding> &findings)
{
    qsizetype kept = 0;
    while (kept < cards.size() && kept < findings.size() &&
           showsSame(cards[kept]->finding(), findings[kept]))
        ++kept;
    while (cards.size() > kept) {
        FindingCard *card = cards.takeLast();
        layout->removeWidget(card);
        retire(card);
    }
    for (qsizetype i = kept; i < findings.size(); ++i) {
        auto *card = new FindingCard(findings[i], m_model, this);
        layout->addWidget(card);
        cards.append(card);
    }
}

void FindingList::setAI(const QList<AIStatus> &items, bool proxied)
{
    m_unreachableAI = std::count_if(items.cbegin(), items.cend(), [](const AIStatus &item) {
        return !item.directOK && !item.proxyOK;
    });
    followEmptyPanel();
    if (items.size() == m_aiCards.size()) {
        for (qsizetype i = 0; i < items.size(); ++i)
            m_aiCards[i]->setItem(items[i], proxied);
        followFilter();
        return;
    }
    for (AIServiceCard *card : std::as_const(m_aiCards)) {
        m_aiGrid->removeWidget(card);
        retire(card);
    }
    m_aiCards.clear();
    for (qsizetype i = 0; i < items.size(); ++i) {
        auto *card = new AIServiceCard(items[i], proxied, this);
        // The columns share the width equally, whatever each name needs.
        card->setSizePolicy(QSizePolicy::Ignored, card->sizePolicy().verticalPolicy());
        m_aiGrid->addWidget(card, int(i / kAIColumns), int(i % kAIColumns));
        m_aiCards.append(card);
    }
    followFilter();
}

std::optional<QWidgetList> FindingList::accessibleChildren() const
{
    QWidgetList children{m_guardian, m_aiTitle};
    for (AIServiceCard *card : m_aiCards)
        children << card;
    children << m_problemsTitle << m_emptyProblems;
    for (FindingCard *card : m_problemCards)
        children << card;
    children << m_passesTitle;
    for (FindingCard *card : m_passCards)
        children << card;
    return children;
}

QWidgetList FindingList::tabStops() const
{
    QWidgetList cards{m_guardian};
    for (FindingCard *card : m_problemCards)
        cards << card;
    for (FindingCard *card : m_passCards)
        cards << card;
    // Within a card its own children come in the order they are laid out: the content
    // column, then the buttons beside it.
    QWidgetList stops;
    for (QWidget *card : std::as_const(cards)) {
        for (QWidget *child : card->findChildren<QWidget *>()) {
            if (child->focusPolicy() & Qt::TabFocus)
                stops << child;
        }
    }
    return stops;
}

void FindingList::setRightMargin(int margin)
{
    QMargins margins = layout()->contentsMargins();
    if (margins.right() == margin)
        return;
    margins.setRight(margin);
    layout()->setContentsMargins(margins);
}

void FindingList::followFilter()
{
    const bool ai = !m_aiCards.isEmpty() && m_filter != FilterMode::normal;
    const bool problems = m_filter != FilterMode::normal;
    const bool noProblems = m_problemCards.isEmpty();
    const bool passes = m_filter != FilterMode::problems && !m_passCards.isEmpty();

    m_aiTitle->setVisible(ai);
    for (AIServiceCard *card : std::as_const(m_aiCards))
        card->setVisible(ai);
    m_problemsTitle->setVisible(problems && !noProblems);
    m_emptyProblems->setVisible(problems && noProblems);
    for (FindingCard *card : std::as_const(m_problemCards))
        card->setVisible(problems);
    m_passesTitle->setVisible(passes);
    for (FindingCard *card : std::as_const(m_passCards))
        card->setVisible(passes);
}

} // namespace brevik
