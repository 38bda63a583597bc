#pragma once

#include "model/category.h"
#include "ui/kit/access/speakable.h"

#include <QWidget>

class QScrollArea;
class QSpacerItem;

namespace brevik {

class AppModel;
class BatchSummary;
class BusyOverlay;
class FilterBar;
class FindingList;
class HeaderBar;
class InternetBanner;
class StatsRow;

// The application's one window content: the header with the headline and the two main
// buttons, the internet banner, the last batch repair's summary while it is kept, the
// statistics, the filter with the time of the last scan, the scrolling list of guardian, AI,
// problems and passed checks, a footer, and the busy overlay while a scan or a batch repair
// runs.
//
// It owns the application model and shows it: every part follows the notifications of the
// properties it shows, and nothing else. Its only state of its own is the filter. When it
// is first shown it starts a scan, then the guardian.
class ContentView final : public QWidget, public Speakable {
    Q_OBJECT

public:
    explicit ContentView(QWidget *parent = nullptr);
    // A window on `model`, which it takes over. Tests give it a model on their own guardian
    // and pacing.
    explicit ContentView(AppModel *model, QWidget *parent = nullptr);

    AppModel *model() const { return m_model; }
    FilterMode filter() const;
    void setFilter(FilterMode filter);
    // Names the simulated Mac the window works on, in a chip beside the title; empty on a
    // real Mac.
    void setSimulatedMac(const QString &scenario);

    HeaderBar *header() const { return m_header; }
    InternetBanner *banner() const { return m_banner; }
    BatchSummary *batchSummary() const { return m_batchSummary; }
    StatsRow *stats() const { return m_stats; }
    FilterBar *filterBar() const { return m_filterBar; }
    FindingList *list() const { return m_list; }
    QScrollArea *scrollArea() const { return m_scroll; }
    BusyOverlay *overlay() const { return m_overlay; }

    // Never below 1080 × 720, nor below what the layout needs.
    QSize minimumSizeHint() const override;

    AccessibleFacts accessibleFacts() const override { return {}; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    static QWidget *prepared(QWidget *parent);
    QWidget *buildFooter();
    void buildScrollArea();
    void connectModel();
    void followHeadline();
    void followBusy();
    void followBanner();
    void followBatch();
    void followScroll();
    void keepScroll();
    void followFindings();
    void followAI();
    void followStamp();
    void followProgress();
    void followTabOrder();
    void followAppearance();

    AppModel *m_model;
    HeaderBar *m_header;
    InternetBanner *m_banner;
    BatchSummary *m_batchSummary;
    QSpacerItem *m_summaryGap = nullptr;
    StatsRow *m_stats;
    FilterBar *m_filterBar;
    FindingList *m_list;
    QScrollArea *m_scroll = nullptr;
    BusyOverlay *m_overlay;
    bool m_started = false;
    // Where the list stood when the running scan began; -1 when no scan runs. The scan
    // empties the list and fills it again: the list returns there rather than to its top.
    int m_scrollAtScan = -1;
};

} // namespace brevik
