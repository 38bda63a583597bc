#include "windowonsim.h"

#include "app/markdownreport.h"
#include "app/window/appmenu.h"
#include "app/window/reportfile.h"
#include "appmodel/appmodel.h"
#include "i18n/language.h"
#include "ui/cards/statcard.h"
#include "ui/content/batchsummary.h"
#include "ui/content/busyoverlay.h"
#include "ui/content/contentview.h"
#include "ui/content/filterbar.h"
#include "ui/content/headerbar.h"
#include "ui/content/internetbanner.h"
#include "ui/kit/controls/neubutton.h"

#include <QAction>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QWindow>

using namespace brevik;

namespace {

enum class Moment { scanning, settled, repairing };

QString terminalScan(const QString &scenario, const QStringList &args)
{
    QProcess brevik;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BREVIK_SIMULATE"), scenario);
    env.insert(QStringLiteral("BREVIK_SIM_FRESH"), QStringLiteral("1"));
    // The window below has no translator: it speaks Chinese, and so must the terminal.
    env.insert(QStringLiteral("BREVIK_LANG"), QStringLiteral("zh"));
    brevik.setProcessEnvironment(env);
    brevik.start(QStringLiteral(BREVIK_EXECUTABLE), args);
    return brevik.waitForFinished(120000) ? QString::fromUtf8(brevik.readAllStandardOutput())
                                          : QString();
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void windowStates_data();
    void windowStates();
    void residualProxyThroughTheWindow();
    void batchThroughTheWindow_data();
    void batchThroughTheWindow();
    void markdownKeepsToolOutputAsText();
    void headerAndMenusInEachLanguage_data();
    void headerAndMenusInEachLanguage();
    void qtTextsInTheWindowLanguage();

private:
    QTemporaryDir m_root;
};

void TestWindow::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0");
}

void TestWindow::windowStates_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<Moment>("moment");
    QTest::addColumn<QString>("repairAll");
    QTest::addColumn<bool>("repairAllEnabled");
    QTest::addColumn<bool>("rescanEnabled");

    QTest::newRow("before the first scan ends")
        << "healthy" << Moment::scanning << "一键修复全部 (0)" << false << false;
    QTest::newRow("nothing to repair")
        << "healthy" << Moment::settled << "一键修复全部 (0)" << false << true;
    QTest::newRow("a single repair runs")
        << "residual-proxy" << Moment::repairing << "一键修复全部 (1)" << false << false;
    QTest::newRow("offline, the test failed")
        << "offline" << Moment::settled << "一键修复全部 (5)" << true << true;
}

void TestWindow::windowStates()
{
    QFETCH(QString, scenario);
    QFETCH(Moment, moment);

    Window window(scenario);
    AppModel &model = *window.model;
    QVERIFY(model.scanning());
    if (moment != Moment::scanning)
        QTRY_VERIFY_WITH_TIMEOUT(window.settled(), 60000);
    if (moment == Moment::repairing) {
        model.fix(model.problems().first());
        QVERIFY(model.fixingId());
    }

    const ContentView &content = window.content();
    QCOMPARE(content.overlay()->isBusy(), moment == Moment::scanning);
    if (moment == Moment::scanning) {
        QVERIFY(content.overlay()->isVisible());
        QCOMPARE(content.overlay()->text(), model.progressText());
    }
    const QString stamp = content.filterBar()->stamp();
    const QRegularExpression scanned(
        QStringLiteral("^扫描于 \\d\\d:\\d\\d:\\d\\d\u3000·\u3000耗时 \\d+\\.\\ds$"));
    QVERIFY2(moment == Moment::scanning ? stamp == QStringLiteral("准备扫描…")
                                        : scanned.match(stamp).hasMatch(),
             qPrintable(stamp));
    QTEST(content.header()->repairAllButton()->title(), "repairAll");
    QTEST(content.header()->repairAllButton()->isEnabled(), "repairAllEnabled");
    QTEST(content.header()->rescanButton()->isEnabled(), "rescanEnabled");
}

// Through the window as a user would, on a residual proxy: one window, its menus and its
// reports.
void TestWindow::residualProxyThroughTheWindow()
{
    Window window(QStringLiteral("residual-proxy"));
    AppModel &model = *window.model;
    QVERIFY(QTest::qWaitForWindowExposed(window.window.get()));
    QCOMPARE(window.window->windowTitle(), QStringLiteral("Brevik"));
    QCOMPARE(window.window->size(), QSize(1220, 880));
    window.window->resize(640, 480);
    QVERIFY(window.window->width() >= 1080 && window.content().height() >= 720);
    AppMenu *menu = window.window->menu();
    QVERIFY(!menu->copyReportAction()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(window.settled(), 60000);
    QVERIFY(menu->copyReportAction()->isEnabled());
    int windows = 0;
    for (const QWindow *shown : QGuiApplication::topLevelWindows())
        windows += shown->isVisible() ? 1 : 0;
    QCOMPARE(windows, 1);
    QStringList items;
    for (const QAction *menu : window.window->menuBar()->actions()) {
        for (const QAction *item : menu->menu()->actions())
            items << item->text();
    }
    QCOMPARE(items.filter(QRegularExpression(QStringLiteral("报告|修复|关于|退出"))),
             (QStringList{"复制诊断报告", "导出诊断报告…", "撤销上次修复", "修复记录…",
                          "退出 Brevik", "待修复", "关于 Brevik"}));

    // The clipboard gets what the terminal prints for the same Mac; a name ending in .json
    // gets the terminal's JSON document, anything else Markdown.
    const QString scenario = QStringLiteral("residual-proxy");
    menu->copyReportAction()->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), terminalScan(scenario, {"--scan"}));
    const ScanReport report = reportOf(model);
    const auto exported = [&](const QString &name) {
        QString error;
        QFile file(m_root.filePath(name));
        const bool written = writeReport(file.fileName(), report, scenario, &error);
        return written && file.open(QIODevice::ReadOnly) ? file.readAll() : error.toUtf8();
    };
    QJsonObject written = QJsonDocument::fromJson(exported(QStringLiteral("report.JSON"))).object();
    QJsonObject printed =
        QJsonDocument::fromJson(terminalScan(scenario, {"--scan", "--json"}).toUtf8()).object();
    written.remove(QStringLiteral("seconds"));
    printed.remove(QStringLiteral("seconds"));
    QCOMPARE(written, printed);
    QCOMPARE(QString::fromUtf8(exported(QStringLiteral("report.md"))),
             toMarkdown(report, scenario));
    QString error;
    QVERIFY(!writeReport(m_root.filePath(QStringLiteral("missing/report.md")), report, {}, &error));
    QVERIFY(!error.isEmpty());

    QCOMPARE(window.part<StatCard>("problemsStat")->value(), QStringLiteral("2"));
}

void TestWindow::batchThroughTheWindow_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("banner");   // seen once the batch's internet test ended
    QTest::addColumn<QString>("outcome");  // the header's chip and the summary's title
    QTest::addColumn<QString>("problems"); // after the rescan

    QTest::newRow("repaired") << "residual-proxy"
                              << "修复完成：现在可以正常上网"
                              << "批量修复完成"
                              << "0";
    // The direct path works, so the test passes; the batch did nothing, and must not be
    // called done.
    QTest::newRow("password prompt cancelled")
        << "admin-cancel"
        << "修复已取消，只有直连能上网：走系统代理的应用仍断网"
        << "批量修复已取消"
        << "2";
}

// The repair-all button, the batch's progress and its internet test, then the rescan: the
// batch's report stays until dismissed, and the list stays where the user had scrolled it.
void TestWindow::batchThroughTheWindow()
{
    QFETCH(QString, scenario);
    QFETCH(QString, banner);
    QFETCH(QString, outcome);
    QFETCH(QString, problems);
    Window window(scenario);
    AppModel &model = *window.model;
    QTRY_VERIFY_WITH_TIMEOUT(window.settled(), 60000);
    ContentView &content = window.content();
    QScrollBar *scroll = content.scrollArea()->verticalScrollBar();
    QVERIFY(scroll->maximum() > 200);
    scroll->setValue(200);

    const QDateTime firstScan = *model.lastScan();
    QStringList banners, progress;
    connect(&model, &AppModel::stateChanged, this, [&] {
        const QString title = content.banner()->title();
        if (banners.isEmpty() || banners.last() != title)
            banners << title;
        if (progress.isEmpty() || progress.last() != model.progressText())
            progress << model.progressText();
    });
    QTest::mouseClick(content.header()->repairAllButton(), Qt::LeftButton);
    QVERIFY(model.fixingAll());
    QCOMPARE(model.progressValue(), 0.05);
    QTRY_VERIFY_WITH_TIMEOUT(model.lastScan() != firstScan && window.settled(), 60000);
    QVERIFY(progress.contains(
        QStringLiteral("正在修复：致命：系统代理指向已关闭的代理软件（整机断网）")));
    QVERIFY2(banners.contains(banner), qPrintable(banners.join(" / ")));
    if (outcome != QStringLiteral("批量修复完成"))
        QVERIFY(!banners.contains(QStringLiteral("修复完成：现在可以正常上网")));
    QCOMPARE(window.part<StatCard>("problemsStat")->value(), problems);
    QCOMPARE(model.fixLog(), (QMap<QString, QString>{}));

    // The rescan replaced the cards and their logs; the summary still has the batch's.
    QCOMPARE(content.header()->batchOutcome(), outcome);
    const BatchSummary *summary = content.batchSummary();
    QVERIFY(summary->isVisible());
    QCOMPARE(summary->title(), outcome);
    QCOMPARE(summary->lines().size(), 1);
    QVERIFY(summary->lines().first().startsWith(
        QStringLiteral("致命：系统代理指向已关闭的代理软件（整机断网）\n")));
    QTRY_COMPARE(scroll->value(), 200);
    QTest::mouseClick(summary->dismissButton(), Qt::LeftButton);
    QVERIFY(!summary->isVisible());
    QCOMPARE(content.header()->batchOutcome(), QString());
}

void TestWindow::markdownKeepsToolOutputAsText()
{
    ScanReport report;
    Finding finding{.id = QStringLiteral("hosts-hijack"),
                    .title = QStringLiteral("hosts 把 *.openai.com 指向 <127.0.0.1>"),
                    .severity = Severity::warn,
                    .detail = QStringLiteral("# 第一行像标题\n1. 像列表\n_下划线_ | 竖线"),
                    .category = CheckCategory::dns};
    finding.fix = FixAction{.id = QStringLiteral("fix-hosts"),
                            .title = QStringLiteral("注释掉这些行"),
                            .operations = {RepairOps::EditFile{QStringLiteral("/etc/hosts"),
                                                               {QStringLiteral("s/```//")}}},
                            .needsAdmin = true};
    report.findings = {finding};
    const QString markdown = toMarkdown(report);

    QVERIFY(markdown.contains(
        QStringLiteral("### 警告 · hosts 把 \\*.openai.com 指向 \\<127.0.0.1\\>\n")));
    QVERIFY(markdown.contains(
        QStringLiteral("\\# 第一行像标题  \n1\\. 像列表  \n\\_下划线\\_ \\| 竖线\n")));
    // The command goes in as it is, inside a fence longer than any backticks it holds.
    QVERIFY(markdown.contains(QStringLiteral("````sh\n") + finding.fix->commands().first() +
                              QStringLiteral("\n````\n")));
    QVERIFY(markdown.contains(QStringLiteral("，需要管理员权限")));
}

void TestWindow::headerAndMenusInEachLanguage_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("headline");
    QTest::addColumn<QStringList>("menus");

    QTest::newRow("Chinese") << Language::chinese << "网络存在故障，建议立即修复"
                             << QStringList{"文件", "显示", "帮助"};
    QTest::newRow("English") << Language::english << "The network is broken; repair it now"
                             << QStringList{"File", "View", "Help"};
}

// The window's header and its menus, in the language installed before the window was made
// (the catalogue built into the window's code).
void TestWindow::headerAndMenusInEachLanguage()
{
    QFETCH(Language, language);
    QTranslator catalogue;
    if (language == Language::english) {
        QVERIFY(catalogue.load(Languages::catalogue(language)));
        QVERIFY(QCoreApplication::installTranslator(&catalogue));
    }
    const auto removed = qScopeGuard([&] { QCoreApplication::removeTranslator(&catalogue); });

    Window window(QStringLiteral("offline"));
    QTRY_VERIFY_WITH_TIMEOUT(window.settled(), 60000);
    QTEST(window.part<QLabel>("statusTitle")->text(), "headline");
    QStringList menus;
    for (const QAction *menu : window.window->menuBar()->actions())
        menus << menu->text();
    QTEST(menus, "menus");
}

// Qt's own buttons and menus speak the window's language, not English.
void TestWindow::qtTextsInTheWindowLanguage()
{
    QVERIFY(Languages::install(*qApp, Language::chinese, true));
    QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("保存"));
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    QLineEdit field(QStringLiteral("127.0.0.1"));
    std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QVERIFY(menu->actions().first()->text().startsWith(QStringLiteral("撤消")));
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
