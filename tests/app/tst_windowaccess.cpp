#include "windowonsim.h"

#include "app/window/viewmenu.h"
#include "model/category.h"
#include "ui/content/busyoverlay.h"
#include "ui/content/contentview.h"
#include "ui/history/historydialog.h"
#include "ui/kit/access/speakable.h"
#include "ui/kit/controls/neubutton.h"
#include "ui/kit/controls/neusegmented.h"
#include "ui/kit/controls/plainbutton.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

using namespace brevik;

namespace {

// One node of the window as a screen reader reads it.
struct Node {
    QAccessibleInterface *iface = nullptr;
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
    QString description;
};

// Every node a screen reader reaches from `node`, in reading order; what is hidden, and all
// inside it, is not read.
void collect(QAccessibleInterface *node, QList<Node> &out)
{
    if (!node || node->state().invisible)
        return;
    out << Node{node, node->role(), node->text(QAccessible::Name),
                node->text(QAccessible::Description)};
    for (int i = 0; i < node->childCount(); ++i)
        collect(node->child(i), out);
}

QList<Node> readFrom(QAccessibleInterface *root)
{
    QList<Node> nodes;
    collect(root, nodes);
    return nodes;
}

QList<Node> readWindow(const Window &window)
{
    return readFrom(QAccessible::queryAccessibleInterface(window.window.get()));
}

QList<Node> matching(const QList<Node> &nodes, const std::function<bool(const Node &)> &test)
{
    QList<Node> found;
    for (const Node &node : nodes) {
        if (test(node))
            found << node;
    }
    return found;
}

bool named(const QList<Node> &nodes, const QString &name)
{
    return !matching(nodes, [&](const Node &n) { return n.name == name; }).isEmpty();
}

QWidget *widgetOf(const Node &node)
{
    QObject *object = node.iface->object();
    return object && object->isWidgetType() ? static_cast<QWidget *>(object) : nullptr;
}

// What the tab key stops at, in the order it reaches them, starting from nothing focused:
// once round, until it comes back to the first.
QWidgetList tabRound(QWidget *window)
{
    QWidgetList stops;
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();
    for (int i = 0; i < 400; ++i) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                        Qt::Key_Tab);
        QWidget *now = QApplication::focusWidget();
        if (!now || (!stops.isEmpty() && now == stops.first()))
            break;
        stops << now;
    }
    return stops;
}

// What a key of the menus does, as the test checks it.
enum class Effect { filterProblems, filterNormal, filterAll, rescan, test, history, undo };

} // namespace

class TestWindowAccess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readByAScreenReader_data();
    void readByAScreenReader();
    void menuKeys_data();
    void menuKeys();
    void keysPressTheFocusedControl();

private:
    QTemporaryDir m_root;
};

void TestWindowAccess::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0");
    installAccessibleInterfaces();
}

void TestWindowAccess::readByAScreenReader_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("a residual proxy") << "residual-proxy";
    QTest::newRow("a healthy Mac") << "healthy";
    QTest::newRow("offline") << "offline";
    // Its problem comes in a later step than a passed check with a button of its own, so
    // its card is made after that one's.
    QTest::newRow("stale shell proxy variables") << "stale-shell-proxy";
}

// What the window shows, read through the interfaces a screen reader uses, against what the
// model holds.
void TestWindowAccess::readByAScreenReader()
{
    QFETCH(QString, scenario);
    Window window(scenario);
    AppModel &model = *window.model;

    // While the first scan runs: a progress bar saying the step and how far it has come.
    const QList<Node> progress = matching(readWindow(window), [](const Node &n) {
        return n.role == QAccessible::ProgressBar && n.iface->valueInterface();
    });
    QCOMPARE(progress.size(), 1);
    QCOMPARE(progress.first().name, model.progressText());
    QCOMPARE(progress.first().iface->valueInterface()->currentValue().toInt(),
             qRound(model.progressValue() * 100));

    QTRY_VERIFY_WITH_TIMEOUT(window.settled(), 60000);
    QTRY_VERIFY(!window.content().overlay()->isVisible());
    const QList<Node> nodes = readWindow(window);

    // Each finding: a group whose name gives its title and its severity in words, holding
    // its detail.
    for (const Finding &finding : model.problems() + model.passes()) {
        const QList<Node> groups = matching(nodes, [&](const Node &n) {
            return n.role == QAccessible::Grouping && n.name.contains(finding.title) &&
                   n.name.contains(label(finding.severity));
        });
        QVERIFY2(groups.size() == 1, qPrintable(finding.title));
        const QList<Node> inside = readFrom(groups.first().iface);
        QVERIFY2(named(inside, finding.detail), qPrintable(finding.detail));
        QVERIFY(named(inside, label(finding.severity)));
    }

    // Each statistic: a group named by its title, its value read as its description and
    // as text inside.
    const QList<std::pair<QString, QString>> statistics{
        {QStringLiteral("网络状态"), model.statusLabel()},
        {QStringLiteral("待处理问题"), QString::number(model.problems().size())},
        {QStringLiteral("检查通过"), QString::number(model.passes().size())},
        {QStringLiteral("可一键修复"), QString::number(model.fixableCount())},
    };
    for (const auto &[title, value] : statistics) {
        const QList<Node> groups = matching(nodes, [&](const Node &n) {
            return n.role == QAccessible::Grouping && n.name == title;
        });
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups.first().description, value);
        QVERIFY(named(readFrom(groups.first().iface), value));
    }

    // What colour says is said in words: the headline's state, each AI service's probes.
    const bool calm = model.netUsable() && model.blockingIssues().isEmpty();
    QVERIFY(named(nodes,
                  QStringLiteral("状态：") + label(calm ? Severity::ok : model.effectiveStatus())));
    QVERIFY(named(nodes, model.statusTitle()));
    QVERIFY(!model.aiItems().isEmpty());
    for (const AIStatus &ai : model.aiItems()) {
        const QList<Node> groups = matching(nodes, [&](const Node &n) {
            return n.role == QAccessible::Grouping && n.name == ai.name;
        });
        QCOMPARE(groups.size(), 1);
        const QString said = groups.first().description;
        const auto word = [](bool ok) {
            return ok ? QStringLiteral("可达") : QStringLiteral("不可达");
        };
        QVERIFY2(said.contains(QStringLiteral("直连") + word(ai.directOK) + QStringLiteral("，")) &&
                     said.contains(QStringLiteral("代理") + word(ai.proxyOK)),
                 qPrintable(said));
        QCOMPARE(said.contains(QStringLiteral("%1 ms").arg(ai.latencyMs)),
                 ai.directOK || ai.proxyOK);
    }
    QVERIFY(named(nodes, model.guardianOn() ? QStringLiteral("运行中") : QStringLiteral("已暂停")));
    QVERIFY(named(nodes, QStringLiteral("已自动修复 %1 次").arg(model.guardFixedCount())));

    // The filter: a group of radio buttons, the one shown checked; pressing one filters.
    const QList<Node> filters = matching(nodes, [](const Node &n) { return n.name == "筛选"; });
    QCOMPARE(filters.size(), 1);
    QAccessibleInterface *filter = filters.first().iface;
    const QList<FilterMode> modes = allFilterModes();
    QCOMPARE(filter->childCount(), modes.size());
    for (int i = 0; i < modes.size(); ++i) {
        QAccessibleInterface *option = filter->child(i);
        QCOMPARE(option->role(), QAccessible::RadioButton);
        QCOMPARE(option->text(QAccessible::Name), rawValue(modes[i]));
        QCOMPARE(bool(option->state().checked), modes[i] == window.content().filter());
    }
    const int problems = int(modes.indexOf(FilterMode::problems));
    filter->child(problems)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(window.content().filter(), FilterMode::problems);
    QVERIFY(filter->child(problems)->state().checked);
    QVERIFY(!filter->child(0)->state().checked);
    window.content().setFilter(FilterMode::all);

    // Every control has a name, and the tab key reaches each one in the order they are read.
    QWidgetList controls;
    for (const Node &node : nodes) {
        QWidget *widget = widgetOf(node);
        if (!widget || !(widget->focusPolicy() & Qt::TabFocus) || !widget->isEnabled())
            continue;
        QVERIFY2(!node.name.isEmpty(), widget->metaObject()->className());
        controls << widget;
    }
    const int repairs = int(std::count_if(model.findings().cbegin(), model.findings().cend(),
                                          [](const Finding &f) { return f.fix.has_value(); }));
    // Rescan, test, filter and the guardian's three, and each repair's copy button.
    QVERIFY2(controls.size() >= 6 + repairs, qPrintable(QString::number(controls.size())));
    window.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.window.get()));
    const QWidgetList stops = tabRound(window.window.get());
    QCOMPARE(stops, controls);
}

void TestWindowAccess::menuKeys_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<Effect>("effect");
    QTest::newRow("⌘2 shows the problems")
        << QKeySequence(Qt::CTRL | Qt::Key_2) << Effect::filterProblems;
    QTest::newRow("⌘3 shows the passed checks")
        << QKeySequence(Qt::CTRL | Qt::Key_3) << Effect::filterNormal;
    QTest::newRow("⌘1 shows everything") << QKeySequence(Qt::CTRL | Qt::Key_1) << Effect::filterAll;
    QTest::newRow("⌘R scans again") << QKeySequence(Qt::CTRL | Qt::Key_R) << Effect::rescan;
    QTest::newRow("⌘T tests the internet again")
        << QKeySequence(Qt::CTRL | Qt::Key_T) << Effect::test;
    QTest::newRow("⌘Y opens the repair history")
        << QKeySequence(Qt::CTRL | Qt::Key_Y) << Effect::history;
    QTest::newRow("⌘Z takes the last repair back")
        << QKeySequence(Qt::CTRL | Qt::Key_Z) << Effect::undo;
}

// Each key is an item of a menu, where the user finds it, and does what the item says.
void TestWindowAccess::menuKeys()
{
    QFETCH(QKeySequence, keys);
    QFETCH(Effect, effect);

    Window window(QStringLiteral("healthy"));
    AppModel &model = *window.model;
    QTRY_VERIFY_WITH_TIMEOUT(window.settled(), 60000);
    window.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.window.get()));
    if (effect == Effect::filterAll)
        window.content().setFilter(FilterMode::normal);

    QStringList listed;
    for (const QAction *menu : window.window->menuBar()->actions()) {
        for (const QAction *item : menu->menu()->actions()) {
            if (item->shortcut() == keys)
                listed << item->text();
        }
    }
    QCOMPARE(listed.size(), 1);

    QTest::keySequence(window.window.get(), keys);
    switch (effect) {
    case Effect::filterProblems:
        QCOMPARE(window.content().filter(), FilterMode::problems);
        break;
    case Effect::filterNormal:
        QCOMPARE(window.content().filter(), FilterMode::normal);
        break;
    case Effect::filterAll:
        QCOMPARE(window.content().filter(), FilterMode::all);
        break;
    case Effect::rescan:
        QVERIFY(model.scanning());
        break;
    case Effect::test:
        QVERIFY(model.netChecking());
        break;
    case Effect::history:
    case Effect::undo: {
        auto *history = window.window->findChild<HistoryDialog *>();
        QVERIFY(history && history->isVisible());
        QCOMPARE(!model.undoText().isEmpty(), effect == Effect::undo);
        // Esc closes it, as any dialog.
        QTest::keyClick(history, Qt::Key_Escape);
        QVERIFY(!history->isVisible());
        break;
    }
    }
    // The filter's items show which one is on.
    const QAction *shown = window.window->viewMenu()->filterAction(window.content().filter());
    QVERIFY(shown->isChecked());
}

// Space and Return press whatever the tab key brought the focus to.
void TestWindowAccess::keysPressTheFocusedControl()
{
    Window window(QStringLiteral("healthy"));
    AppModel &model = *window.model;
    QTRY_VERIFY_WITH_TIMEOUT(window.settled(), 60000);
    window.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.window.get()));
    const QWidgetList stops = tabRound(window.window.get());

    const auto reach = [&](const char *name) {
        QWidget *target = window.part<QWidget>(name);
        for (int i = 0; i < stops.size() && QApplication::focusWidget() != target; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return target;
    };
    QVERIFY(stops.contains(window.part<QWidget>("logToggle")));
    const bool logShown = model.showGuardLog();
    QTest::keyClick(reach("logToggle"), Qt::Key_Space);
    QCOMPARE(model.showGuardLog(), !logShown);
    QVERIFY(qobject_cast<PlainButton *>(window.part<QWidget>("logToggle"))->showsFocusRing());

    QTest::keyClick(reach("filter"), Qt::Key_Right);
    QCOMPARE(window.content().filter(), FilterMode::problems);
    QVERIFY(qobject_cast<NeuSegmented *>(window.part<QWidget>("filter"))->showsFocusRing());

    QWidget *rescan = reach("rescanButton");
    QVERIFY(qobject_cast<NeuButton *>(rescan)->showsFocusRing());
    QTest::keyClick(rescan, Qt::Key_Return);
    QTRY_VERIFY(model.scanning());
}

QTEST_MAIN(TestWindowAccess)
#include "tst_windowaccess.moc"
