#include "ui/content/contentview.h"

#include "appmodel/appmodel.h"
#include "diagnostics/webverdict.h"
#include "ui/content/batchsummary.h"
#include "ui/content/busyoverlay.h"
#include "ui/content/filterbar.h"
#include "ui/content/findinglist.h"
#include "ui/content/headerbar.h"
#include "ui/content/internetbanner.h"
#include "ui/content/statsrow.h"
#include "ui/kit/controls/neubutton.h"
#include "ui/kit/controls/neusegmented.h"
#include "ui/kit/paint/scrollfade.h"
#include "ui/kit/palette/theme.h"
#include "ui/kit/symbols/symbolview.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/typography.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGuiApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

namespace brevik {

namespace {

constexpr int kPadding = 24;
constexpr int kSpacing = 18;
// How long after a scan the list may still grow back to where it stood.
constexpr std::chrono::milliseconds kScrollSettle{1000};
const QSize kLeast(1080, 720);

// A slim translucent handle in the secondary text's colour, whichever the appearance.
QString slimScroller()
{
    const QColor handle = neuColor(neuTextSecondary);
    const QString rgb =
        QStringLiteral("%1, %2, %3").arg(handle.red()).arg(handle.green()).arg(handle.blue());
    return QStringLiteral(
               "QScrollBar:vertical { background: transparent; width: 12px; margin: 4px 3px 4px 0; "
               "}"
               "QScrollBar::handle:vertical { background: rgba(%1, 90); border-radius: 3px;"
               " min-height: 48px; margin: 0 1px; }"
               "QScrollBar::handle:vertical:hover { background: rgba(%1, 150); }"
               "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
               "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: "
               "transparent; }")
        .arg(rgb);
}

// Room kept above and below a control the tab key brings into the scrolled list.
constexpr int kFocusMargin = 40;

// A row of the window's column, inset by the window's padding; the list alone runs from
// edge to edge, so that its cards' shadows are not cut at the sides.
QLayout *padded(QWidget *widget)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(kPadding, 0, kPadding, 0);
    row->addWidget(widget);
    return row;
}

QLayout *padded(QLayout *layout)
{
    layout->setContentsMargins(kPadding, 0, kPadding, 0);
    return layout;
}

} // namespace

ContentView::ContentView(QWidget *parent) : ContentView(new AppModel, parent) {}

// Before any part is made: the appearance decides the colours they take.
QWidget *ContentView::prepared(QWidget *parent)
{
    Theme::instance();
    return parent;
}

ContentView::ContentView(AppModel *model, QWidget *parent)
    : QWidget(prepared(parent)), m_model(model), m_header(new HeaderBar),
      m_banner(new InternetBanner), m_batchSummary(new BatchSummary), m_stats(new StatsRow),
      m_filterBar(new FilterBar), m_list(new FindingList(model))
{
    fillWithBackground(this);
    // The window itself holds the focus until the tab key or a click moves it to a control:
    // coming to the front puts no ring on whichever control happens to be first.
    setFocusPolicy(Qt::ClickFocus);
    buildScrollArea();

    // The list needs no gap above it: its own top margin is the gap, and room for the
    // shadow of its first card.
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, kPadding, 0, kPadding);
    column->setSpacing(0);
    column->addLayout(padded(m_header));
    column->addSpacing(kSpacing);
    column->addLayout(padded(m_banner));
    column->addSpacing(kSpacing);
    // Not in a container of its own, which would cut its shadow off: it and the gap after it
    // take room only while it shows.
    column->addLayout(padded(m_batchSummary));
    m_summaryGap = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    column->addSpacerItem(m_summaryGap);
    column->addLayout(padded(m_stats));
    column->addSpacing(kSpacing);
    column->addLayout(padded(m_filterBar));
    column->addWidget(m_scroll, 1);
    column->addLayout(padded(buildFooter()));

    // Last, so that it lies over everything else.
    m_overlay = new BusyOverlay(this);

    connect(m_header->repairAllButton(), &QAbstractButton::clicked, m_model, &AppModel::fixAll);
    connect(m_header->rescanButton(), &QAbstractButton::clicked, m_model, &AppModel::scan);
    connect(m_banner->testButton(), &QAbstractButton::clicked, m_model,
            [this] { m_model->verifyInternet(false); });
    connect(m_batchSummary->dismissButton(), &QAbstractButton::clicked, m_model,
            &AppModel::dismissBatchReport);
    connect(m_filterBar, &FilterBar::filterChanged, m_list, &FindingList::setFilter);
    connect(&Theme::instance(), &Theme::appearanceChanged, this, &ContentView::followAppearance);
    // The tab key scrolls the list to the control it reaches, from outside the list too.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && m_list->isAncestorOf(now))
            m_scroll->ensureWidgetVisible(now, 0, kFocusMargin);
    });
    connectModel();
    // The last child, so the last to go: every part that shows the model goes before it.
    m_model->setParent(this);

    followHeadline();
    followBusy();
    followBanner();
    followBatch();
    followFindings();
    followAI();
    followStamp();
    followProgress();
}

void ContentView::buildScrollArea()
{
    m_scroll = new QScrollArea;
    m_scroll->setObjectName(QStringLiteral("list"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    // A click into the list lets the arrow and page keys scroll it; the tab key passes the
    // list by and goes to the controls in it.
    m_scroll->setFocusPolicy(Qt::ClickFocus);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_list);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->verticalScrollBar()->setSingleStep(24);
    // A Mac draws a slim scroller that fits the window. Other platforms' styles draw a
    // groove with arrows; there the handle alone is drawn, slim and translucent.
    QScrollBar *bar = m_scroll->verticalScrollBar();
    if (QGuiApplication::platformName() != QLatin1String("cocoa"))
        bar->setStyleSheet(slimScroller());
    new ScrollFade(m_scroll, ScrollFade::Edge::top);
    new ScrollFade(m_scroll, ScrollFade::Edge::bottom);
    // The cards line up with the header above, whether a scroll bar takes room beside them
    // or not (a Mac's overlay scroll bars take none).
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar] {
        const bool overlays = bar->style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, bar);
        const bool shown = bar->maximum() > bar->minimum() && !overlays;
        m_list->setRightMargin(kPadding - (shown ? bar->sizeHint().width() : 0));
        keepScroll();
    });
    // Whoever scrolls decides where the list stands.
    connect(bar, &QAbstractSlider::actionTriggered, this, [this] { m_scrollAtScan = -1; });
}

QWidget *ContentView::buildFooter()
{
    auto *footer = new QWidget;
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 10, 0, 0);
    row->setSpacing(7);
    row->addWidget(new SymbolView(Symbol::lockShieldFill, 11, neuTextSecondary), 0, Qt::AlignTop);
    const QString note =
        tr("修复操作只修改你自己的系统网络设置；需要权限时会弹出 macOS 密码框，不输入密码不会做任何修改。"
           "所有改动均可在「系统设置 → 网络」中还原。");
    row->addWidget(neuLabel(note, neuFont(12), neuTextSecondary, LabelFlow::wrapping), 1);
    return footer;
}

void ContentView::connectModel()
{
    // Each part follows the properties it shows; a list of cards is rebuilt only when the
    // findings or the AI rows change.
    AppModel *m = m_model;
    for (auto signal : {&AppModel::findingsChanged, &AppModel::netResultChanged}) {
        connect(m, signal, this, &ContentView::followHeadline);
        connect(m, signal, this, &ContentView::followBanner);
    }
    for (auto signal :
         {&AppModel::scanningChanged, &AppModel::fixingAllChanged, &AppModel::fixingIdChanged})
        connect(m, signal, this, &ContentView::followBusy);
    for (auto signal : {&AppModel::netCheckingChanged, &AppModel::netCheckAfterFixChanged})
        connect(m, signal, this, &ContentView::followBanner);
    for (auto signal : {&AppModel::findingsChanged, &AppModel::scanningChanged})
        connect(m, signal, this, &ContentView::followFindings);
    connect(m, &AppModel::scanningChanged, this, &ContentView::followScroll);
    connect(m, &AppModel::undoBusyChanged, this, &ContentView::followBusy);
    connect(m, &AppModel::batchReportChanged, this, &ContentView::followBatch);
    connect(m, &AppModel::aiItemsChanged, this, &ContentView::followAI);
    for (auto signal : {&AppModel::lastScanChanged, &AppModel::scanSecondsChanged})
        connect(m, signal, this, &ContentView::followStamp);
    for (auto signal : {&AppModel::progressTextChanged, &AppModel::progressValueChanged})
        connect(m, signal, this, &ContentView::followProgress);
}

FilterMode ContentView::filter() const
{
    return m_filterBar->filter();
}

void ContentView::setFilter(FilterMode filter)
{
    m_filterBar->setFilter(filter);
}

void ContentView::setSimulatedMac(const QString &scenario)
{
    m_header->setSimulatedMac(scenario);
}

QSize ContentView::minimumSizeHint() const
{
    return QWidget::minimumSizeHint().expandedTo(kLeast);
}

void ContentView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Theme::instance().watch(window()->windowHandle());
    if (!window()->focusWidget())
        setFocus(Qt::OtherFocusReason);
    if (m_started)
        return;
    m_started = true;
    m_model->scan();
    m_model->startGuardianIfNeeded();
}

void ContentView::followHeadline()
{
    m_header->setHeadline(m_model->statusTitle(), headlineRole(*m_model), headlineState(*m_model));
    m_stats->follow(*m_model);
    followBusy();
}

void ContentView::followBusy()
{
    const bool idle =
        !m_model->scanning() && !m_model->fixingAll() && !m_model->fixingId().has_value();
    const int fixable = m_model->fixableCount();
    // An undo changes the settings a repair would.
    m_header->setRepairAll(fixable, idle && !m_model->undoBusy() && fixable > 0);
    m_header->setRescanEnabled(idle);
    m_overlay->setBusy(m_model->scanning() || m_model->fixingAll());
}

void ContentView::followBanner()
{
    const std::optional<RepairOutcome> repair =
        m_model->netCheckAfterFix() ? m_model->netCheckRepair() : std::nullopt;
    m_banner->setTest(m_model->netChecking(), m_model->netResult(), repair);
    m_banner->setNote(m_model->netResult(), m_model->optionalItems(),
                      DirectOnly::remedy(m_model->findings()));
}

void ContentView::followBatch()
{
    const std::optional<BatchReport> report = m_model->batchReport();
    m_batchSummary->setReport(report);
    m_header->setBatchOutcome(report);
    m_summaryGap->changeSize(0, report ? kSpacing : 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    layout()->invalidate();
}

void ContentView::followFindings()
{
    m_list->setFindings(m_model->problems(), m_model->passes(), !m_model->scanning());
    followTabOrder();
}

// Cards come and go with every scan, and a new widget joins the end of the tab chain: the
// chain is laid again in the order the window is read, top to bottom, left to right.
void ContentView::followTabOrder()
{
    QWidgetList stops;
    stops << m_header->repairAllButton() << m_header->rescanButton() << m_banner->testButton()
          << m_filterBar->segments() << m_list->tabStops();
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops[i - 1], stops[i]);
}

void ContentView::followAppearance()
{
    if (QGuiApplication::platformName() != QLatin1String("cocoa"))
        m_scroll->verticalScrollBar()->setStyleSheet(slimScroller());
}

void ContentView::followScroll()
{
    if (m_model->scanning()) {
        if (m_scrollAtScan < 0)
            m_scrollAtScan = m_scroll->verticalScrollBar()->value();
        return;
    }
    keepScroll();
    // The last cards are laid out a moment after the scan ends; past that, a list that came
    // back shorter keeps its end in view and stops following.
    QTimer::singleShot(kScrollSettle, this, [this] {
        if (!m_model->scanning())
            m_scrollAtScan = -1;
    });
}

void ContentView::keepScroll()
{
    if (m_scrollAtScan < 0)
        return;
    QScrollBar *bar = m_scroll->verticalScrollBar();
    bar->setValue(std::min(m_scrollAtScan, bar->maximum()));
    if (!m_model->scanning() && bar->maximum() >= m_scrollAtScan)
        m_scrollAtScan = -1;
}

void ContentView::followAI()
{
    m_list->setAI(m_model->aiItems(), m_model->aiProxied());
}

void ContentView::followStamp()
{
    m_filterBar->setStamp(m_model->lastScan(), m_model->scanSeconds());
}

void ContentView::followProgress()
{
    m_overlay->setProgress(m_model->progressValue(), m_model->progressText());
}

} // namespace brevik
