#include "app/markdownreport.h"
#include "app/window/appmenu.h"
#include "app/window/mainwindow.h"
#include "app/window/reportfile.h"
#include "appmodel/appmodel.h"
#include "exec/runner.h"
#include "guardian/proxyguardian.h"
#include "sim/simulatedmac.h"
#include "ui/busyoverlay.h"
#include "ui/contentview.h"
#include "ui/filterbar.h"
#include "ui/headerbar.h"
#include "ui/internetbanner.h"
#include "ui/neubutton.h"
#include "ui/statcard.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMenuBar>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWaitCondition>
#include <QWindow>

namespace {

// Passes every command on to the simulated Mac; while closed, holds those that background
// tasks run, never the main thread's own (the launch-agent queries), so that a test can stop
// the model in the middle of a scan or a repair.
class GateRunner : public Runner {
public:
    explicit GateRunner(std::shared_ptr<Runner> mac) : m_mac(std::move(mac)) {}

    void setClosed(bool closed)
    {
        QMutexLocker lock(&m_mutex);
        m_closed = closed;
        m_changed.wakeAll();
    }

    ShellResult run(const QString &command, double timeoutSeconds) override
    {
        if (QThread::currentThread() != qApp->thread()) {
            QMutexLocker lock(&m_mutex);
            while (m_closed)
                m_changed.wait(&m_mutex);
        }
        return m_mac->run(command, timeoutSeconds);
    }

private:
    std::shared_ptr<Runner> m_mac;
    QMutex m_mutex;
    QWaitCondition m_changed;
    bool m_closed = false;
};

enum class Moment { scanning, settled, repairing };

// One window on one fresh simulated Mac, as the application opens it. The guardian's timer
// is slowed down so that its second check (which would repair a residual proxy) stays out of
// the test.
class Window {
public:
    explicit Window(const QString &scenario, bool closed = false)
        : m_mac(SimulatedMac::open(scenario, true)),
          m_gate(std::make_shared<GateRunner>(m_mac->makeRunner())), m_scope(m_gate),
          m_guardian(m_mac->home())
    {
        m_gate->setClosed(closed);
        AppModel::Pacing pacing;
        pacing.guardInterval = std::chrono::hours(1);
        model = new AppModel(m_guardian, pacing);
        window = std::make_unique<MainWindow>(scenario, model);
        window->show();
    }
    // The window and its model go first; their tasks end on the guardian and the Mac below.
    ~Window()
    {
        m_gate->setClosed(false);
        window.reset();
        AppModel::waitForBackgroundWork(std::chrono::seconds(30));
    }

    bool settled() const
    {
        return model->lastScan() && !model->scanning() && !model->netChecking() &&
               model->netResult() && !model->fixingAll();
    }
    void setGateClosed(bool closed) { m_gate->setClosed(closed); }
    ContentView &content() const { return *window->content(); }
    template <typename T> T *part(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }

    AppModel *model = nullptr;
    std::unique_ptr<MainWindow> window;

private:
    std::optional<SimulatedMac> m_mac;
    std::shared_ptr<GateRunner> m_gate;
    ScopedRunner m_scope;
    ProxyGuardian m_guardian;
};

QString terminalScan(const QString &scenario, const QStringList &args)
{
    QProcess brevik;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BREVIK_SIMULATE"), scenario);
    env.insert(QStringLiteral("BREVIK_SIM_FRESH"), QStringLiteral("1"));
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
    void repairAllOnAResidualProxy();
    void oneWindowAndItsReports();
    void markdownKeepsToolOutputAsText();

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
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QString>("repairAll");
    QTest::addColumn<bool>("repairAllEnabled");
    QTest::addColumn<bool>("rescanEnabled");
    QTest::addColumn<QString>("banner");
    QTest::addColumn<bool>("emptyPanel");

    QTest::newRow("before the first scan ends")
        << "healthy" << Moment::scanning << true << "一键修复全部 (0)" << false << false
        << "尚未做上网实测" << false;
    QTest::newRow("nothing to repair")
        << "healthy" << Moment::settled << false << "一键修复全部 (0)" << false << true
        << "可以正常上网" << true;
    QTest::newRow("a single repair runs")
        << "residual-proxy" << Moment::repairing << false << "一键修复全部 (1)" << false << false
        << "可以正常上网" << false;
    QTest::newRow("offline, the test failed")
        << "offline" << Moment::settled << false << "一键修复全部 (5)" << true << true
        << "上网测试未通过" << false;
}

void TestWindow::windowStates()
{
    QFETCH(QString, scenario);
    QFETCH(Moment, moment);
    QFETCH(bool, busy);
    QFETCH(QString, repairAll);
    QFETCH(bool, repairAllEnabled);
    QFETCH(bool, rescanEnabled);
    QFETCH(QString, banner);
    QFETCH(bool, emptyPanel);

    Window window(scenario, moment == Moment::scanning);
    if (moment == Moment::scanning) {
        QVERIFY(window.model->scanning());
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(window.settled(), 60000);
    }
    if (moment == Moment::repairing) {
        window.setGateClosed(true);
        window.model->fix(window.model->problems().first());
        QVERIFY(window.model->fixingId());
    }

    const ContentView &content = window.content();
    const BusyOverlay *overlay = content.overlay();
    QCOMPARE(overlay->isBusy(), busy);
    if (busy) {
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->text(), window.model->progressText());
    }
    const QString stamp = content.filterBar()->stamp();
    if (moment == Moment::scanning)
        QCOMPARE(stamp, QStringLiteral("准备扫描…"));
    else
        QVERIFY2(QRegularExpression(QStringLiteral("^扫描于 \\d\\d:\\d\\d:\\d\\d\u3000·\u3000耗时 "
                                                   "\\d+\\.\\ds$"))
                     .match(stamp)
                     .hasMatch(),
                 qPrintable(stamp));
    QCOMPARE(content.header()->repairAllButton()->title(), repairAll);
    QCOMPARE(content.header()->repairAllButton()->isEnabled(), repairAllEnabled);
    QCOMPARE(content.header()->rescanButton()->isEnabled(), rescanEnabled);
    QCOMPARE(content.banner()->title(), banner);
    if (window.model->netResult())
        QCOMPARE(content.banner()->subtitle(), window.model->netResult()->summary);
    const auto *empty = window.part<QWidget>("emptyProblems");
    QCOMPARE(empty->isVisibleTo(&content), emptyPanel);
}

// Through the window as a user would: the repair-all button on a residual proxy, then the
// banner's verdict and the problem count after the rescan that follows.
void TestWindow::repairAllOnAResidualProxy()
{
    Window window(QStringLiteral("residual-proxy"));
    QTRY_VERIFY_WITH_TIMEOUT(window.settled(), 60000);
    const auto *problems = window.part<StatCard>("problemsStat");
    QCOMPARE(problems->value(), QStringLiteral("1"));
    const QDateTime firstScan = *window.model->lastScan();

    QStringList banners;
    connect(window.model, &AppModel::stateChanged, this, [&] {
        const QString title = window.content().banner()->title();
        if (banners.isEmpty() || banners.last() != title)
            banners << title;
    });
    QTest::mouseClick(window.content().header()->repairAllButton(), Qt::LeftButton);
    QVERIFY(window.model->fixingAll());
    QTRY_VERIFY_WITH_TIMEOUT(window.model->lastScan() != firstScan && window.settled(), 60000);

    QCOMPARE(problems->value(), QStringLiteral("0"));
    QVERIFY2(banners.contains(QStringLiteral("修复完成：现在可以正常上网")),
             qPrintable(banners.join(" / ")));
    QVERIFY(window.part<QWidget>("emptyProblems")->isVisible());
}

void TestWindow::oneWindowAndItsReports()
{
    Window window(QStringLiteral("residual-proxy"));
    QVERIFY(QTest::qWaitForWindowExposed(window.window.get()));
    QCOMPARE(window.window->windowTitle(), QStringLiteral("Brevik"));
    QCOMPARE(window.window->size(), QSize(1220, 880));
    window.window->resize(640, 480);
    QVERIFY(window.window->width() >= 1080 && window.content().height() >= 720);
    AppMenu *menu = window.window->menu();
    QVERIFY(!menu->copyReportAction()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(window.settled(), 60000);
    QVERIFY(menu->copyReportAction()->isEnabled());

    // The clipboard gets what the terminal prints for the same Mac.
    menu->copyReportAction()->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             terminalScan(QStringLiteral("residual-proxy"), {QStringLiteral("--scan")}));
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
                          "退出 Brevik", "关于 Brevik"}));

    // A name ending in .json gets the terminal's JSON document, anything else Markdown.
    const ScanReport report = reportOf(*window.model);
    QString error;
    const QString json = m_root.filePath(QStringLiteral("report.JSON"));
    QVERIFY2(writeReport(json, report, QStringLiteral("residual-proxy"), &error),
             qPrintable(error));
    QFile exported(json);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    QJsonObject written = QJsonDocument::fromJson(exported.readAll()).object();
    QJsonObject printed =
        QJsonDocument::fromJson(terminalScan(QStringLiteral("residual-proxy"),
                                             {QStringLiteral("--scan"), QStringLiteral("--json")})
                                    .toUtf8())
            .object();
    written.remove(QStringLiteral("seconds"));
    printed.remove(QStringLiteral("seconds"));
    QCOMPARE(written, printed);

    const QString markdown = m_root.filePath(QStringLiteral("report.md"));
    QVERIFY(writeReport(markdown, report, QStringLiteral("residual-proxy"), &error));
    QFile text(markdown);
    QVERIFY(text.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(text.readAll()),
             toMarkdown(report, QStringLiteral("residual-proxy")));
    QVERIFY(!writeReport(m_root.filePath(QStringLiteral("missing/report.md")), report, {}, &error));
    QVERIFY(!error.isEmpty());
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
                            .commands = {QStringLiteral("echo '```'")},
                            .needsAdmin = true};
    report.findings = {finding};
    const QString markdown = toMarkdown(report);

    QVERIFY(markdown.contains(
        QStringLiteral("### 警告 · hosts 把 \\*.openai.com 指向 \\<127.0.0.1\\>\n")));
    QVERIFY(markdown.contains(
        QStringLiteral("\\# 第一行像标题  \n1\\. 像列表  \n\\_下划线\\_ \\| 竖线\n")));
    // The command goes in as it is, inside a fence longer than any backticks it holds.
    QVERIFY(markdown.contains(QStringLiteral("````sh\necho '```'\n````\n")));
    QVERIFY(markdown.contains(QStringLiteral("，需要管理员权限")));
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
