// Paints a window-sized list of cards as the window will hold them (the guardian panel,
// four statistics, six AI services and 30 findings) and times, side by side:
//   - a full repaint of the visible list, 200 times;
//   - one finding's repair starting: its log line changes, its spinner appears, every
//     repair button turns disabled; the time from the model's change to painted pixels;
//   - the same two with each raised widget's shadows made by QGraphicsDropShadowEffect
//     instead of the cached, pre-blurred nine-patches (the baseline).
//   - the whole window (header, banner, statistics, filter, the list of 30 findings and
//     the other cards, footer) scrolled by one screen of its list at a time, against the
//     same window with drop-shadow effects;
//   - the whole window built, laid out and painted for the first time, with the interfaces
//     a screen reader reads installed and without them (no screen reader listening), pair
//     by pair in random order.
// It runs itself at device pixel ratio 1 and 2 (QT_SCALE_FACTOR), each in the light and the
// dark appearance (BREVIK_APPEARANCE), on the offscreen platform.
//
//   bench_paint              both ratios, figures and ratios
//   bench_paint --save DIR   also writes what it painted, as PNG, into DIR

#include "bench/benchsupport.h"

#include "appmodel/appmodel.h"
#include "exec/runner.h"
#include "ui/cards/aiservicecard.h"
#include "ui/cards/findingcard.h"
#include "ui/cards/guardiancard.h"
#include "ui/cards/statcard.h"
#include "ui/content/contentview.h"
#include "ui/content/findinglist.h"
#include "ui/kit/access/speakable.h"
#include "ui/kit/paint/shadowlayer.h"
#include "ui/kit/palette/theme.h"

#include <QAccessible>
#include <QApplication>
#include <QBoxLayout>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QGraphicsDropShadowEffect>
#include <QGridLayout>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace brevik;

namespace {

constexpr int kFullRepaints = 200;
constexpr int kRepairStarts = 40;
constexpr int kScrollFrames = 200;
constexpr int kFirstPaints = 24;

// Every command fails at once: repairs produce a one-line log without touching anything,
// and a failed repair starts no internet test.
class RefusingRunner : public Runner {
public:
    ShellResult run(const QString &, double) override { return {1, {}}; }
};

Finding sampleFinding(int i)
{
    static const Severity severities[] = {Severity::error, Severity::warn, Severity::info,
                                          Severity::ok, Severity::warn};
    const QList<CheckCategory> categories = allCategories();
    Finding finding{
        .id = QStringLiteral("finding-%1").arg(i),
        .title = QStringLiteral("系统代理指向 127.0.0.1:7890，但没有代理客户端在运行（%1）").arg(i),
        .severity = severities[i % 5],
        .detail = QStringLiteral("Wi-Fi 的 HTTP 与 HTTPS 代理都已开启，端口 7890 无人监听；"
                                 "浏览器和命令行请求会全部失败。\n检测于第 %1 项。")
                      .arg(i),
        .category = categories[i % categories.size()],
    };
    if (i % 2 == 0)
        finding.fixHint = QStringLiteral("关闭所有网络服务上的系统代理，或重新启动代理客户端。");
    if (i % 3 == 0) {
        finding.manualSteps = {QStringLiteral("打开「系统设置 → 网络」"),
                               QStringLiteral("选择 Wi-Fi → 详细信息 → 代理"),
                               QStringLiteral("关闭所有代理开关并点「好」")};
    }
    if (finding.severity != Severity::ok) {
        finding.fix = FixAction{.id = QStringLiteral("fix-proxy-off-all"),
                                .title = QStringLiteral("关闭所有网络服务的系统代理"),
                                .operations = {RepairOps::ProxyState{QStringLiteral("Wi-Fi"),
                                                                     ProxyKind::web, false}},
                                .needsAdmin = i % 4 == 0,
                                .successHint = QStringLiteral("代理已关闭")};
    }
    return finding;
}

struct Scene {
    std::unique_ptr<AppModel> model;
    std::unique_ptr<QScrollArea> window;
    QList<Finding> findings;
};

Scene buildScene()
{
    Scene scene;
    scene.model = std::make_unique<AppModel>();
    scene.window = std::make_unique<QScrollArea>();
    auto *list = new QWidget;
    fillWithBackground(list);
    fillWithBackground(scene.window.get());
    auto *column = new QVBoxLayout(list);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(14);

    column->addWidget(new GuardianCard(scene.model.get()));
    auto *stats = new QHBoxLayout;
    stats->setSpacing(14);
    stats->addWidget(new StatCard(QStringLiteral("网络状态"), QStringLiteral("可用"), neuSuccess,
                                  Symbol::checkmarkSealFill));
    stats->addWidget(new StatCard(QStringLiteral("待处理问题"), QStringLiteral("12"), neuWarning,
                                  Symbol::exclamationmarkBubbleFill));
    stats->addWidget(new StatCard(QStringLiteral("检查通过"), QStringLiteral("18"), neuSuccess,
                                  Symbol::checkmarkSealFill));
    stats->addWidget(new StatCard(QStringLiteral("可一键修复"), QStringLiteral("9"), neuAccentDeep,
                                  Symbol::boltFill));
    column->addLayout(stats);
    auto *grid = new QGridLayout;
    grid->setSpacing(12);
    for (int i = 0; i < 6; ++i) {
        const AIStatus item{.id = QStringLiteral("AI %1").arg(i),
                            .name = QStringLiteral("AI 服务 %1").arg(i),
                            .url = {},
                            .directOK = i % 3 == 0,
                            .proxyOK = i % 2 == 0,
                            .latencyMs = 120 + 40 * i,
                            .note = {}};
        grid->addWidget(new AIServiceCard(item, true), i / 3, i % 3);
    }
    column->addLayout(grid);
    for (int i = 0; i < 30; ++i) {
        scene.findings.append(sampleFinding(i));
        column->addWidget(new FindingCard(scene.findings.last(), scene.model.get()));
    }
    scene.window->setWidget(list);
    scene.window->setWidgetResizable(true);
    scene.window->resize(1080, 720);
    return scene;
}

// Repairs the findings 0, 3, 6, … once, so that a third of the cards carry a log box.
void fillLogs(Scene &scene)
{
    for (int i = 0; i < scene.findings.size(); i += 3) {
        if (!scene.findings[i].fix)
            continue;
        scene.model->fix(scene.findings[i]);
        AppModel::waitForBackgroundWork(std::chrono::seconds(10));
    }
}

// The baseline: the same widgets, each raised one casting its two shadows through
// QGraphicsDropShadowEffect instead of its cached shadow layer. A widget takes one effect,
// so the light shadow goes on a wrapper around it.
QGraphicsDropShadowEffect *shadowEffect(NeuRole role, qreal offset)
{
    auto *effect = new QGraphicsDropShadowEffect;
    effect->setColor(neuColor(role, 0.95));
    effect->setBlurRadius(2 * std::abs(offset)); // Qt's blur radius is about two sigmas
    effect->setOffset(offset, offset);
    return effect;
}

void useShadowEffects(QWidget *root)
{
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (widget->objectName() == QLatin1String("shadowLayer"))
            delete widget;
    }
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!dynamic_cast<ShadowCaster *>(widget) || !widget->parentWidget() ||
            !widget->parentWidget()->layout())
            continue;
        auto *wrapper = new QWidget;
        wrapper->setSizePolicy(widget->sizePolicy());
        delete widget->parentWidget()->layout()->replaceWidget(widget, wrapper);
        auto *inside = new QVBoxLayout(wrapper);
        inside->setContentsMargins(0, 0, 0, 0);
        inside->addWidget(widget);
        widget->setGraphicsEffect(shadowEffect(neuDark, 6));
        wrapper->setGraphicsEffect(shadowEffect(neuLight, -6));
    }
}

struct Timing {
    double median = 0;
    double low = 0;  // 10th percentile
    double high = 0; // 90th percentile
};

Timing summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[size_t(q * double(ms.size() - 1))]; };
    return {median(ms), at(0.1), at(0.9)};
}

// Paints what is dirty in `window` now, as the window system's next frame would.
void paintPending(QWidget &window)
{
    QEvent frame(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&window, &frame);
}

Timing timeFullRepaints(QScrollArea &window)
{
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < kFullRepaints; ++i) {
        timer.start();
        // The list is opaque and covers the viewport: it is what must repaint.
        window.widget()->update();
        paintPending(window);
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return summarise(ms);
}

// One repair starting, in three phases: the model's call with every card taking the
// change, the layouts that asks for, and a synchronous paint of what it left dirty.
struct RepairStart {
    Timing react;
    Timing layout;
    Timing paint;
    Timing total;
};

RepairStart timeRepairStarts(Scene &scene)
{
    const Finding &finding = scene.findings[0]; // in view, already carrying a log
    std::vector<double> react, layout, paint, total;
    QElapsedTimer timer;
    for (int i = 0; i < kRepairStarts; ++i) {
        timer.start();
        scene.model->fix(finding);
        const double reacted = timer.nsecsElapsed() / 1e6;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const double laidOut = timer.nsecsElapsed() / 1e6;
        paintPending(*scene.window);
        const double painted = timer.nsecsElapsed() / 1e6;
        react.push_back(reacted);
        layout.push_back(laidOut - reacted);
        paint.push_back(painted - laidOut);
        total.push_back(painted);
        AppModel::waitForBackgroundWork(std::chrono::seconds(10));
        QTest::qWait(350); // the buttons' fade back in ends before the next round
    }
    return {summarise(react), summarise(layout), summarise(paint), summarise(total)};
}

// What the window shows: the findings split into problems and passes, and six AI services.
struct Shown {
    QList<Finding> problems;
    QList<Finding> passes;
    QList<AIStatus> ai;
};

Shown shownOf(const QList<Finding> &findings)
{
    Shown shown;
    for (const Finding &finding : findings)
        (finding.isProblem() ? shown.problems : shown.passes).append(finding);
    for (int i = 0; i < 6; ++i)
        shown.ai.append({.id = QString::number(i),
                         .name = QStringLiteral("AI 服务 %1").arg(i),
                         .url = {},
                         .directOK = i % 3 == 0,
                         .proxyOK = i % 2 == 0,
                         .latencyMs = 120 + 40 * i,
                         .note = {}});
    return shown;
}

// The window as the application shows it, after its first scan (every command refused,
// so it ends at once), holding the 30 sample findings and six AI services.
std::unique_ptr<ContentView> buildWindow(const QList<Finding> &findings)
{
    auto window = std::make_unique<ContentView>();
    window->resize(1220, 880);
    window->show();
    AppModel::waitForBackgroundWork(std::chrono::seconds(30));
    const Shown shown = shownOf(findings);
    window->list()->setAI(shown.ai, true);
    window->list()->setFindings(shown.problems, shown.passes, true);
    return window;
}

// From nothing to the window's first painted frame: built, given the 30 findings and six AI
// services, laid out, shown and painted. The scan its showing starts is waited for after.
double firstPaintMs(const QList<Finding> &findings)
{
    const Shown shown = shownOf(findings);
    QElapsedTimer timer;
    timer.start();
    auto window = std::make_unique<ContentView>();
    window->resize(1220, 880);
    window->list()->setAI(shown.ai, true);
    window->list()->setFindings(shown.problems, shown.passes, true);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return -1;
    paintPending(*window);
    const double ms = timer.nsecsElapsed() / 1e6;
    AppModel::waitForBackgroundWork(std::chrono::seconds(30));
    return ms;
}

// Scrolls the list by one screen at a time, down to the end and back up, and paints each
// frame as the next one the window system asks for.
Timing timeScrolling(ContentView &window)
{
    QScrollBar *bar = window.scrollArea()->verticalScrollBar();
    const int page = window.scrollArea()->viewport()->height();
    int direction = 1;
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < kScrollFrames; ++i) {
        if (bar->value() + direction * page > bar->maximum() ||
            bar->value() + direction * page < bar->minimum())
            direction = -direction;
        timer.start();
        bar->setValue(bar->value() + direction * page);
        paintPending(window);
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return summarise(ms);
}

// "1x light", "2x dark": the ratio and appearance a row was measured at.
QByteArray setting(qreal dpr)
{
    return QStringLiteral("%1x %2")
        .arg(dpr)
        .arg(currentAppearance() == Appearance::dark ? QStringLiteral("dark")
                                                     : QStringLiteral("light"))
        .toUtf8();
}

void printRow(qreal dpr, const char *subject, const Timing &t, const char *goal = nullptr)
{
    std::printf("%-8s %-44s %8.2f   %6.2f – %-6.2f", setting(dpr).constData(), subject, t.median,
                t.low, t.high);
    if (goal)
        std::printf("   (goal: %s)", goal);
    std::printf("\n");
}

int runOneRatio(const QString &saveDir)
{
    // The window's guardian keeps its log and agent under the home folder: a scratch one.
    const QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    auto refusing = std::make_shared<RefusingRunner>();
    ScopedRunner scoped(refusing);

    // The appearance BREVIK_APPEARANCE asks for, before anything is built in it.
    Theme::instance();
    Scene cached = buildScene();
    Scene effects = buildScene();
    useShadowEffects(effects.window->widget());
    for (Scene *scene : {&cached, &effects}) {
        scene->window->show();
        if (!QTest::qWaitForWindowExposed(scene->window.get()))
            return 1;
        fillLogs(*scene);
        QTest::qWait(400);
    }
    const qreal dpr = cached.window->devicePixelRatio();
    if (!saveDir.isEmpty()) {
        cached.window->grab().save(QDir(saveDir).filePath(
            QStringLiteral("bench-paint-%1.png")
                .arg(QString::fromUtf8(setting(dpr)).replace(QLatin1Char(' '), QLatin1Char('-')))));
        effects.window->grab().save(QDir(saveDir).filePath(
            QStringLiteral("bench-paint-effects-%1.png")
                .arg(QString::fromUtf8(setting(dpr)).replace(QLatin1Char(' '), QLatin1Char('-')))));
    }

    const std::unique_ptr<ContentView> window = buildWindow(cached.findings);
    const std::unique_ptr<ContentView> windowEffects = buildWindow(cached.findings);
    useShadowEffects(windowEffects.get());
    for (QWidget *shown :
         {static_cast<QWidget *>(window.get()), static_cast<QWidget *>(windowEffects.get())}) {
        if (!QTest::qWaitForWindowExposed(shown))
            return 1;
    }
    QTest::qWait(400);
    if (!saveDir.isEmpty())
        window->grab().save(QDir(saveDir).filePath(
            QStringLiteral("bench-window-%1.png")
                .arg(QString::fromUtf8(setting(dpr)).replace(QLatin1Char(' '), QLatin1Char('-')))));

    const Timing fullCached = timeFullRepaints(*cached.window);
    const Timing fullEffects = timeFullRepaints(*effects.window);
    const RepairStart startCached = timeRepairStarts(cached);
    const RepairStart startEffects = timeRepairStarts(effects);
    printRow(dpr, "full repaint, cached shadows", fullCached,
             dpr < 1.5 ? "median <= 3 ms" : "median <= 12 ms");
    printRow(dpr, "full repaint, drop-shadow effects", fullEffects);
    std::printf("%-8s %-44s %7.1fx   (goal: >= 10x)\n", setting(dpr).constData(),
                "  effects / cached (medians)", fullEffects.median / fullCached.median);
    const Timing scrollCached = timeScrolling(*window);
    const Timing scrollEffects = timeScrolling(*windowEffects);
    printRow(dpr, "window: list scrolled a screen, cached shadows", scrollCached,
             dpr < 1.5 ? "median <= 3 ms" : nullptr);
    printRow(dpr, "window: list scrolled a screen, effects", scrollEffects);
    std::printf("%-8s %-44s %7.1fx\n", setting(dpr).constData(), "  effects / cached (medians)",
                scrollEffects.median / scrollCached.median);
    printRow(dpr, "repair starts on one card, cached shadows", startCached.total);
    printRow(dpr, "  model call, cards take the change", startCached.react);
    printRow(dpr, "  layout", startCached.layout);
    printRow(dpr, "  paint", startCached.paint, "median <= 0.5 ms");
    printRow(dpr, "repair starts on one card, drop-shadow effects", startEffects.total);
    std::printf("%-8s %-44s %7.1fx   (goal: >= 10x)\n", setting(dpr).constData(),
                "  effects / cached (medians)",
                startEffects.total.median / startCached.total.median);

    // No screen reader listens here, as on most Macs most of the time: the interfaces must
    // cost nothing then.
    std::printf("%-8s window's first paint, interfaces for a screen reader installed or not\n",
                setting(dpr).constData());
    const PairedRuns firstPaints = runPaired(
        kFirstPaints,
        [&] {
            installAccessibleInterfaces();
            return firstPaintMs(cached.findings);
        },
        [&] {
            QAccessible::removeFactory(&speakableFactory);
            return firstPaintMs(cached.findings);
        });
    installAccessibleInterfaces();
    printPaired("installed (ms)", "not installed (ms)", "ms", firstPaints,
                "median within 0.95-1.05");
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("save"), QStringLiteral("Write the painted lists here."),
                      QStringLiteral("dir")});
    parser.addOption({QStringLiteral("one-ratio"), QStringLiteral("Internal: run one ratio.")});
    parser.process(app);
    const QString saveDir = parser.value(QStringLiteral("save"));
    if (parser.isSet(QStringLiteral("one-ratio")))
        return runOneRatio(saveDir);

    std::printf("bench_paint: a 1080x720 list of 41 cards (30 findings), medians of %d full "
                "repaints and %d repair starts; the 1220x880 window with the same cards, %d "
                "frames scrolled a screen each; spread = 10th-90th percentile\n",
                kFullRepaints, kRepairStarts, kScrollFrames);
    std::printf("%-8s %-44s %8s   %s\n", "setting", "what", "ms", "spread ms");
    std::fflush(stdout);
    for (const char *scale : {"1", "2"}) {
        for (const char *appearance : {"light", "dark"}) {
            QProcess run;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
            env.insert(QStringLiteral("BREVIK_APPEARANCE"), QString::fromLatin1(appearance));
            run.setProcessEnvironment(env);
            run.setProcessChannelMode(QProcess::ForwardedChannels);
            QStringList arguments{QStringLiteral("--one-ratio")};
            if (!saveDir.isEmpty())
                arguments << QStringLiteral("--save") << saveDir;
            run.start(QCoreApplication::applicationFilePath(), arguments);
            if (!run.waitForFinished(600'000) || run.exitCode() != 0)
                return 1;
        }
    }
    return 0;
}
