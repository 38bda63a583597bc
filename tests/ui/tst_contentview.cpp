#include "backdrop.h"

#include "appmodel/appmodel.h"
#include "ui/cards/aiservicecard.h"
#include "ui/cards/findingcard.h"
#include "ui/content/busyoverlay.h"
#include "ui/content/filterbar.h"
#include "ui/content/findinglist.h"
#include "ui/content/internetbanner.h"
#include "ui/kit/controls/neubutton.h"

#include <QLabel>
#include <QTest>

using namespace brevik;

namespace {

Finding finding(const QString &id, Severity severity)
{
    return {.id = id,
            .title = QStringLiteral("项目 ") + id,
            .severity = severity,
            .detail = QStringLiteral("说明"),
            .category = CheckCategory::connectivity};
}

QList<Finding> findings(int count, Severity severity)
{
    QList<Finding> list;
    for (int i = 1; i <= count; ++i)
        list << finding(QString::number(i), severity);
    return list;
}

template <typename Card> int shownCards(const QList<Card *> &cards, const QWidget &root)
{
    return int(std::count_if(cards.begin(), cards.end(),
                             [&root](const QWidget *card) { return card->isVisibleTo(&root); }));
}

} // namespace

class TestContentView : public QObject {
    Q_OBJECT

private slots:
    void bannerStates_data();
    void bannerStates();
    void sectionsPerFilter_data();
    void sectionsPerFilter();
    void emptyPanelSays_data();
    void emptyPanelSays();
    void cardsOutliveAGrowingList();
    void overlayGoneWhenIdle_data();
    void overlayGoneWhenIdle();
};

void TestContentView::bannerStates_data()
{
    QTest::addColumn<bool>("checking");
    QTest::addColumn<int>("result"); // -1 none, 0 failed, 1 fetched, 2 fetched directly only
    QTest::addColumn<std::optional<RepairOutcome>>("repair"); // that started the test
    QTest::addColumn<int>("optional");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("subtitle");
    QTest::addColumn<int>("symbol"); // -1: the spinner
    QTest::addColumn<QString>("note");

    const std::optional<RepairOutcome> noRepair;
    const int ok = int(Symbol::checkmarkCircleFill);
    const int warning = int(Symbol::exclamationmarkTriangleFill);
    const QString fetched =
        QStringLiteral("已通过 www.bing.com 搜索访问测试（HTTP 200 · 374 ms · 直连）");
    const QString direct =
        QStringLiteral("仅直连通过 www.bing.com 搜索访问测试（HTTP 200 · 374 ms · 直连）；系统代理 "
                       "127.0.0.1:7890 端口无法连接，走系统代理的应用仍无法上网。");
    const QString cutOff = QStringLiteral(
        "浏览器、Velden Studio 等应用会把请求交给系统代理 127.0.0.1:7890，而它现在无法使用。"
        "点「关掉它」即可恢复它们。");
    QTest::newRow("test running") << true << 1 << noRepair << 0 << "正在实测能否上网…"
                                  << "正在用 www.bing.com 发起一次真实搜索访问请求，请稍候…" << -1
                                  << "";
    QTest::newRow("fetched after a repair")
        << false << 1 << std::optional(RepairOutcome::succeeded) << 0
        << "修复完成：现在可以正常上网" << fetched << ok << "";
    QTest::newRow("fetched after a cancelled batch")
        << false << 1 << std::optional(RepairOutcome::cancelled) << 0 << "修复已取消，可以正常上网"
        << fetched << ok << "";
    QTest::newRow("failed test") << false << 0 << noRepair << 2 << "上网测试未通过"
                                 << "两种通路都失败（直连 → HTTP 000 ❌）"
                                 << int(Symbol::xmarkOctagonFill) << "";
    QTest::newRow("never tested") << false << -1 << noRepair << 0 << "尚未做上网实测"
                                  << "点右侧「重新测试」立即验证一次端到端上网能力。"
                                  << int(Symbol::questionmarkCircle) << "";
    // Optional items cannot wait while the apps behind the proxy are cut off.
    QTest::newRow("only direct gets through")
        << false << 2 << noRepair << 2 << "只有直连能上网：走系统代理的应用仍断网" << direct
        << warning << cutOff;
    QTest::newRow("only direct after a failed batch")
        << false << 2 << std::optional(RepairOutcome::failed) << 0
        << "修复未成功，只有直连能上网：走系统代理的应用仍断网" << direct << warning << cutOff;
    QTest::newRow("only direct after a repair that worked")
        << false << 2 << std::optional(RepairOutcome::succeeded) << 0
        << "只有直连能上网：走系统代理的应用仍断网" << direct << warning << cutOff;
    QTest::newRow("five optional items name three")
        << false << 1 << noRepair << 5 << "可以正常上网" << fetched << ok
        << "网络已经通了，下面 5 项属于可修可不修的优化项，不影响上网：项目 1、项目 2、项目 3 等";
    QTest::newRow("exactly three optional items")
        << false << 1 << noRepair << 3 << "可以正常上网" << fetched << ok
        << "网络已经通了，下面 3 项属于可修可不修的优化项，不影响上网：项目 1、项目 2、项目 3";
}

void TestContentView::bannerStates()
{
    QFETCH(bool, checking);
    QFETCH(int, result);
    QFETCH(std::optional<RepairOutcome>, repair);
    QFETCH(int, optional);
    QFETCH(QString, subtitle);
    QFETCH(QString, note);

    std::optional<NetVerifyResult> verdict;
    if (result >= 0) {
        verdict.emplace();
        verdict->ok = result >= 1;
        if (result == 2)
            verdict->unusableProxy = QStringLiteral("127.0.0.1:7890");
        // While a test runs, the banner shows no summary at all.
        verdict->summary = checking ? QStringLiteral("上一次的结论") : subtitle;
    }
    InternetBanner banner;
    banner.setTest(checking, verdict, repair);
    banner.setNote(verdict, findings(optional, Severity::warn),
                   QStringLiteral("点「关掉它」即可恢复它们。"));

    QTEST(banner.title(), "title");
    QCOMPARE(banner.subtitle(), subtitle);
    QTEST(banner.symbol() ? int(*banner.symbol()) : -1, "symbol");
    QCOMPARE(banner.noteShown(), !note.isEmpty());
    QCOMPARE(banner.noteText(), note);
    QCOMPARE(banner.testButton()->isEnabled(), !checking);
}

void TestContentView::sectionsPerFilter_data()
{
    QTest::addColumn<FilterMode>("filter");
    QTest::addColumn<int>("problems");
    QTest::addColumn<int>("passes");
    QTest::addColumn<bool>("settled"); // the scan has ended
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<int>("cards");

    const QStringList all{"aiSection", "problemsSection", "passesSection"};
    QTest::newRow("all") << FilterMode::all << 2 << 3 << true << all << 5;
    QTest::newRow("problems only") << FilterMode::problems << 2 << 3 << true
                                   << QStringList{"aiSection", "problemsSection"} << 2;
    QTest::newRow("normal shows passes only")
        << FilterMode::normal << 2 << 3 << true << QStringList{"passesSection"} << 3;
    QTest::newRow("normal without passes: the guardian alone")
        << FilterMode::normal << 2 << 0 << true << QStringList{} << 0;
    QTest::newRow("no problems: the empty panel in their place")
        << FilterMode::all << 0 << 3 << true
        << QStringList{"aiSection", "emptyProblems", "passesSection"} << 3;
    QTest::newRow("no problems yet while the scan runs")
        << FilterMode::all << 0 << 3 << false
        << QStringList{"aiSection", "emptyProblems", "passesSection"} << 3;
}

void TestContentView::sectionsPerFilter()
{
    QFETCH(FilterMode, filter);
    QFETCH(int, problems);
    QFETCH(int, passes);
    QFETCH(bool, settled);
    QFETCH(QStringList, sections);
    QFETCH(int, cards);

    AppModel model;
    FindingList list(&model);
    list.setAI(QList<AIStatus>(6, AIStatus{.name = QStringLiteral("Claude")}), false);
    list.setFindings(findings(problems, Severity::error), findings(passes, Severity::ok), settled);
    list.setFilter(filter);

    QVERIFY(shown(list, "guardian"));
    QStringList visible;
    for (const char *name : {"aiSection", "problemsSection", "emptyProblems", "passesSection"}) {
        if (shown(list, name))
            visible << QLatin1String(name);
    }
    QCOMPARE(visible, sections);
    QCOMPARE(shownCards(list.problemCards(), list) + shownCards(list.passCards(), list), cards);
    QCOMPARE(shownCards(list.aiCards(), list), sections.contains("aiSection") ? 6 : 0);
}

void TestContentView::emptyPanelSays_data()
{
    QTest::addColumn<bool>("settled");
    QTest::addColumn<int>("unreachableAI");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("scan still running")
        << false << 0
        << QStringList{"暂未发现需要修复的问题", "扫描还在进行，发现的问题会出现在这里。"};
    QTest::newRow("all AI services answer")
        << true << 0
        << QStringList{"没有发现需要修复的问题", "网络连接、DNS、代理与 AI 服务均正常。"};
    QTest::newRow("three AI services out of reach")
        << true << 3
        << QStringList{"没有发现需要修复的问题",
                       "网络连接、DNS 与代理均正常；3 个 AI 服务暂时连不上，见上方「AI "
                       "服务连通性」。"};
}

// The panel in place of the problems says only what the window knows.
void TestContentView::emptyPanelSays()
{
    QFETCH(bool, settled);
    QFETCH(int, unreachableAI);

    AppModel model;
    FindingList list(&model);
    QList<AIStatus> ai(6, AIStatus{.name = QStringLiteral("DeepSeek"), .directOK = true});
    for (int i = 0; i < unreachableAI; ++i)
        ai[i].directOK = false;
    list.setAI(ai, false);
    list.setFindings({}, findings(2, Severity::ok), settled);

    QVERIFY(shown(list, "emptyProblems"));
    QStringList texts;
    for (const QLabel *label : part<QWidget>(list, "emptyProblems")->findChildren<QLabel *>())
        texts << label->text();
    QTEST(texts, "texts");
}

// A scan publishes its findings step by step: the cards of the findings already shown stay,
// with their state (here: expanded steps); a finding that changed gets a new card.
void TestContentView::cardsOutliveAGrowingList()
{
    AppModel model;
    FindingList list(&model);
    QList<Finding> passes = findings(2, Severity::ok);
    list.setFindings({}, passes, false);
    const QList<FindingCard *> before = list.passCards();

    passes << finding(QStringLiteral("3"), Severity::info);
    list.setFindings({}, passes, false);
    QCOMPARE(list.passCards().mid(0, 2), before);
    QCOMPARE(list.passCards().size(), 3);

    passes[1].title = QStringLiteral("改过的标题");
    list.setFindings({}, passes, true);
    QCOMPARE(list.passCards().first(), before.first());
    QVERIFY(list.passCards().at(1) != before.at(1));
    QCOMPARE(list.passCards().at(1)->finding().title, QStringLiteral("改过的标题"));
}

void TestContentView::overlayGoneWhenIdle_data()
{
    QTest::addColumn<int>("busyMs");
    // Idle again before the fade-in took a step: the overlay still must not stay on top.
    QTest::newRow("a brief spell") << 0;
    QTest::newRow("a spell long enough to fade in") << 500;
}

// Once idle, the overlay, drawn or not, leaves: invisible on top, it would take every click.
void TestContentView::overlayGoneWhenIdle()
{
    QFETCH(int, busyMs);

    QWidget window;
    BusyOverlay overlay(&window);
    overlay.setBusy(true);
    QVERIFY(overlay.isVisibleTo(&window));
    QTest::qWait(busyMs);
    overlay.setBusy(false);
    QTRY_VERIFY(!overlay.isVisibleTo(&window));
}

QTEST_MAIN(TestContentView)
#include "tst_contentview.moc"
