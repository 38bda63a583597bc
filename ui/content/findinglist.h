#pragma once

#include "model/category.h"
#include "model/finding.h"
#include "ui/kit/access/speakable.h"

#include <QList>
#include <QWidget>

class QBoxLayout;
class QGridLayout;
class QLabel;

namespace brevik {

class AIServiceCard;
class AppModel;
class FindingCard;
class SectionTitle;
class SymbolView;

// The scrolling content of the window: the guardian panel, always; the AI services; the
// problems, or a panel saying there are none (yet, while a scan runs); the passed checks. The
// filter only shows and hides sections. New findings add cards; a card stays as long as its finding
// does, so a scan that grows the lists step by step builds each card once.
//
// Parts by object name: "guardian", "aiSection", "problemsSection", "emptyProblems",
// "passesSection" (the section titles and the empty panel).
class FindingList final : public QWidget, public Speakable {
    Q_OBJECT

public:
    explicit FindingList(AppModel *model, QWidget *parent = nullptr);

    void setFilter(FilterMode filter);
    // `settled`: no scan runs, so an empty problem list is a verdict and not just a scan
    // that has found nothing yet; the empty panel says which.
    void setFindings(const QList<Finding> &problems, const QList<Finding> &passes, bool settled);
    void setAI(const QList<AIStatus> &items, bool proxied);
    // Room beside the cards on the right, for their shadows and a scroll bar.
    void setRightMargin(int margin);

    QList<FindingCard *> problemCards() const { return m_problemCards; }
    QList<FindingCard *> passCards() const { return m_passCards; }
    QList<AIServiceCard *> aiCards() const { return m_aiCards; }
    // The controls of the list in the order they are seen: the guardian's, then each card's.
    QWidgetList tabStops() const;

    AccessibleFacts accessibleFacts() const override { return {}; }
    // Sections and cards top to bottom, whenever each card was made.
    std::optional<QWidgetList> accessibleChildren() const override;

private:
    QWidget *buildEmptyPanel();
    void followEmptyPanel();
    void syncCards(QBoxLayout *layout, QList<FindingCard *> &cards, const QList<Finding> &findings);
    void followFilter();

    AppModel *m_model;
    QWidget *m_guardian = nullptr;
    FilterMode m_filter = FilterMode::all;
    bool m_settled = false;
    qsizetype m_unreachableAI = 0;
    // Made by buildEmptyPanel, before the panel itself is stored.
    SymbolView *m_emptySign = nullptr;
    QLabel *m_emptyTitle = nullptr;
    QLabel *m_emptyText = nullptr;

    SectionTitle *m_aiTitle;
    QGridLayout *m_aiGrid;
    QList<AIServiceCard *> m_aiCards;
    SectionTitle *m_problemsTitle;
    QWidget *m_emptyProblems;
    QBoxLayout *m_problemsColumn;
    QList<FindingCard *> m_problemCards;
    SectionTitle *m_passesTitle;
    QBoxLayout *m_passesColumn;
    QList<FindingCard *> m_passCards;
};

} // namespace brevik
