#include "backdrop.h"

#include "appmodel/appmodel.h"
#include "guardian/proxyguardian.h"
#include "tests/support/scriptedrunner.h"
#include "ui/findingcard.h"
#include "ui/guardiancard.h"
#include "ui/neubadge.h"
#include "ui/neubutton.h"
#include "ui/neuchip.h"
#include "ui/plainbutton.h"
#include "ui/reveal.h"
#include "ui/spinner.h"
#include "ui/statussign.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kRepairCommand = QStringLiteral("networksetup -setwebproxystate 'Wi-Fi' off");

Finding finding(const QString &id, Severity severity, bool withFix)
{
    Finding f{.id = id,
              .title = QStringLiteral("系统代理残留"),
              .severity = severity,
              .detail = QStringLiteral("代理 127.0.0.1:7890 无人监听。"),
              .category = CheckCategory::proxy};
    if (withFix) {
        f.fix = FixAction{.id = QStringLiteral("fix-proxy-off-all"),
                          .title = QStringLiteral("关闭系统代理"),
                          .commands = {kRepairCommand},
                          .needsAdmin = false,
                          .successHint = QStringLiteral("代理已关闭")};
    }
    return f;
}

// launchd as a test sees it: every command succeeds.
class AcceptingRunner : public Runner {
public:
    ShellResult run(const QString &, double) override { return {0, {}}; }
};

template <typename T> T *part(const QWidget &card, const char *name)
{
    return card.findChild<T *>(QLatin1String(name));
}

bool shown(const QWidget &card, const char *name)
{
    const QWidget *widget = part<QWidget>(card, name);
    return widget && widget->isVisibleTo(&card);
}

} // namespace

class TestCards : public QObject {
    Q_OBJECT

private slots:
    void findingControls_data();
    void findingControls();
    void onlyTheRepairedCardSpins();
    void copiedCommands_data();
    void copiedCommands();
    void manualSteps();
    void badgeColour_data();
    void badgeColour();
    void guardianStates();
    void guardianLog();
    void statusSigns_data();
    void statusSigns();
    void cardsKeepTheirHeight();
};

void TestCards::findingControls_data()
{
    QTest::addColumn<Severity>("severity");
    QTest::addColumn<bool>("withFix");
    QTest::addColumn<bool>("withHintAndSteps");
    QTest::addColumn<QString>("repairTitle"); // empty: no repair button
    QTest::addColumn<bool>("accent");

    QTest::newRow("ok without repair: header, detail, manual chip")
        << Severity::ok << false << false << "" << false;
    QTest::newRow("warn with repair") << Severity::warn << true << false << "一键修复" << false;
    QTest::newRow("error with repair") << Severity::error << true << false << "立即修复" << true;
    QTest::newRow("info with hint and steps") << Severity::info << false << true << "" << false;
}

void TestCards::findingControls()
{
    QFETCH(Severity, severity);
    QFETCH(bool, withFix);
    QFETCH(bool, withHintAndSteps);
    QFETCH(QString, repairTitle);
    QFETCH(bool, accent);

    Finding f = finding(QStringLiteral("proxy-dead"), severity, withFix);
    if (withHintAndSteps) {
        f.fixHint = QStringLiteral("关闭系统代理。");
        f.manualSteps = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")};
    }
    // Details quote tool output; whatever looks like markup in it is shown as it is.
    f.detail = QStringLiteral("<b>curl</b> 返回 <img src=\"x\"> & 000");
    AppModel model;
    FindingCard card(f, &model);

    QCOMPARE(part<QLabel>(card, "detail")->text(), f.detail);
    QCOMPARE(part<QLabel>(card, "detail")->textFormat(), Qt::PlainText);
    QCOMPARE(shown(card, "hintBox"), withHintAndSteps);
    QCOMPARE(shown(card, "stepsToggle"), withHintAndSteps);
    QCOMPARE(shown(card, "steps"), false);
    QCOMPARE(shown(card, "logBox"), false);
    QCOMPARE(shown(card, "manualChip"), !withFix);
    QCOMPARE(shown(card, "copyButton"), withFix);
    QCOMPARE(shown(card, "spinner"), false);
    const auto *repair = part<NeuButton>(card, "repairButton");
    QCOMPARE(repair != nullptr, !repairTitle.isEmpty());
    if (repair) {
        QCOMPARE(repair->title(), repairTitle);
        QCOMPARE(repair->accent(), accent);
        QCOMPARE(repair->symbol(), std::optional<Symbol>(Symbol::boltFill));
        QVERIFY(repair->isEnabled());
        QCOMPARE(repair->toolTip(), f.fix->title);
    }
    if (!withFix)
        QCOMPARE(part<NeuChip>(card, "manualChip")->text(), QStringLiteral("按提示手动处理"));
}

void TestCards::onlyTheRepairedCardSpins()
{
    auto runner = std::make_shared<ScriptedRunner>();
    // The journal reads the setting before the repair, and writes into a home of the test's.
    runner->on(QStringLiteral("networksetup -getwebproxy 'Wi-Fi'"), 0,
               QStringLiteral("Enabled: Yes\nServer: 127.0.0.1\nPort: 7890\n"));
    runner->on(kRepairCommand, 1);
    ScopedRunner scoped(runner);
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    const auto restoreHome = qScopeGuard([&oldHome] { qputenv("HOME", oldHome); });
    AppModel model;
    Backdrop backdrop;
    auto *first =
        new FindingCard(finding(QStringLiteral("first"), Severity::warn, true), &model, &backdrop);
    auto *second = new FindingCard(finding(QStringLiteral("second"), Severity::error, true), &model,
                                   &backdrop);
    QVERIFY(backdrop.showAndWait());

    QTest::mouseClick(part<NeuButton>(*first, "repairButton"), Qt::LeftButton);
    QTest::mouseClick(part<NeuButton>(*second, "repairButton"), Qt::LeftButton);
    QCOMPARE(model.fixingId(), std::optional<QString>(QStringLiteral("first")));
    QVERIFY(shown(*first, "spinner"));
    QVERIFY(part<Spinner>(*first, "spinner")->isSpinning());
    QVERIFY(!shown(*second, "spinner"));
    QVERIFY(!part<NeuButton>(*first, "repairButton")->isEnabled());
    QVERIFY(!part<NeuButton>(*second, "repairButton")->isEnabled());
    QVERIFY(part<NeuButton>(*second, "copyButton")->isEnabled());
    QVERIFY(shown(*first, "logBox"));
    QVERIFY(!shown(*second, "logBox"));

    QVERIFY(AppModel::waitForBackgroundWork(std::chrono::seconds(10)));
    QVERIFY(!shown(*first, "spinner"));
    QVERIFY(part<NeuButton>(*second, "repairButton")->isEnabled());
    QVERIFY(model.fixLog().value(QStringLiteral("first")).startsWith(QStringLiteral("❌")));
    const QWidget *log = part<QWidget>(*first, "logBox");
    QCOMPARE(log->findChild<StatusSign *>()->sign() + QLatin1Char(' ') +
                 log->findChild<QLabel *>()->text(),
             model.fixLog().value(QStringLiteral("first")));
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestCards::copiedCommands_data()
{
    QTest::addColumn<bool>("needsAdmin");
    QTest::addColumn<QString>("text");

    QTest::newRow("needs administrator rights")
        << true
        << "# 刷新 DNS 缓存\n# 需要管理员权限（前面加 sudo 或在终端执行）\n"
           "dscacheutil -flushcache\nkillall -HUP mDNSResponder";
    QTest::newRow("plain")
        << false << "# 刷新 DNS 缓存\ndscacheutil -flushcache\nkillall -HUP mDNSResponder";
}

void TestCards::copiedCommands()
{
    QFETCH(bool, needsAdmin);
    QFETCH(QString, text);

    Finding f = finding(QStringLiteral("dns-cache"), Severity::warn, true);
    f.title = QStringLiteral("刷新 DNS 缓存");
    f.fix->commands = {QStringLiteral("dscacheutil -flushcache"),
                       QStringLiteral("killall -HUP mDNSResponder")};
    f.fix->needsAdmin = needsAdmin;
    AppModel model;
    Backdrop backdrop;
    auto *card = new FindingCard(f, &model, &backdrop);
    QVERIFY(backdrop.showAndWait());
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));

    QTest::mouseClick(part<NeuButton>(*card, "copyButton"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
    QCOMPARE(QGuiApplication::clipboard()->mimeData()->formats(),
             QStringList{QStringLiteral("text/plain")});
    QCOMPARE(part<NeuButton>(*card, "repairButton")->toolTip(),
             needsAdmin ? QStringLiteral("需要管理员权限：会弹出系统密码框\n关闭系统代理")
                        : QStringLiteral("关闭系统代理"));
}

void TestCards::manualSteps()
{
    Finding f = finding(QStringLiteral("wifi-off"), Severity::error, false);
    f.manualSteps = {QStringLiteral("打开系统设置"), QStringLiteral("选择 Wi-Fi"),
                     QStringLiteral("打开 Wi-Fi")};
    AppModel model;
    Backdrop backdrop;
    auto *card = new FindingCard(f, &model, &backdrop);
    QVERIFY(backdrop.showAndWait());
    auto *toggle = part<PlainButton>(*card, "stepsToggle");
    auto *steps = part<Reveal>(*card, "steps");
    QCOMPARE(toggle->text(), QStringLiteral("查看手动修复步骤（3）"));
    QCOMPARE(toggle->symbol(), std::optional<Symbol>(Symbol::chevronRight));
    QVERIFY(!steps->isVisible());

    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(toggle->text(), QStringLiteral("收起手动步骤"));
    QCOMPARE(toggle->symbol(), std::optional<Symbol>(Symbol::chevronDown));
    QTRY_COMPARE(steps->amount(), 1.0);
    QVERIFY(steps->isVisible());
    QStringList numbers;
    for (const QLabel *label : steps->findChildren<QLabel *>()) {
        if (label->text().endsWith(QLatin1Char('.')))
            numbers << label->text();
    }
    QCOMPARE(numbers,
             (QStringList{QStringLiteral("1."), QStringLiteral("2."), QStringLiteral("3.")}));

    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(toggle->text(), QStringLiteral("查看手动修复步骤（3）"));
    QTRY_VERIFY(!steps->isVisible());
}

void TestCards::badgeColour_data()
{
    QTest::addColumn<Severity>("severity");
    for (Severity severity : {Severity::ok, Severity::info, Severity::warn, Severity::error})
        QTest::newRow(qPrintable(label(severity))) << severity;
}

void TestCards::badgeColour()
{
    QFETCH(Severity, severity);

    AppModel model;
    FindingCard card(finding(QStringLiteral("any"), severity, false), &model);
    const QImage image = card.findChild<NeuBadge *>()->grab().toImage();
    // The symbol is drawn in the severity's colour and in no other severity's.
    QList<QColor> seen;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            for (Severity other : {Severity::ok, Severity::info, Severity::warn, Severity::error}) {
                if (near(image.pixelColor(x, y), severityColor(other), 2) &&
                    !seen.contains(severityColor(other)))
                    seen << severityColor(other);
            }
        }
    }
    QCOMPARE(seen, QList<QColor>{severityColor(severity)});
}

void TestCards::guardianStates()
{
    QTemporaryDir home;
    ProxyGuardian guardian(home.path());
    AppModel model(guardian, AppModel::Pacing{});
    ScopedRunner launchd(std::make_shared<AcceptingRunner>());
    Backdrop backdrop;
    auto *card = new GuardianCard(&model, &backdrop);
    QVERIFY(backdrop.showAndWait());
    const auto chip = [&](const char *name) { return part<NeuChip>(*card, name); };
    const auto button = [&](const char *name) { return part<NeuButton>(*card, name); };

    // A fresh model: on, nothing repaired yet, no agent.
    QCOMPARE(chip("stateChip")->text(), QStringLiteral("运行中"));
    QCOMPARE(chip("stateChip")->color(), neuSuccess);
    QCOMPARE(chip("countChip")->text(), QStringLiteral("已自动修复 0 次"));
    QVERIFY(shown(*card, "countChip"));
    QVERIFY(!shown(*card, "agentChip"));
    QCOMPARE(part<NeuBadge>(*card, "badge")->symbol(), Symbol::shieldLefthalfFilled);
    QCOMPARE(button("switchButton")->title(), QStringLiteral("暂停守护"));
    QCOMPARE(button("switchButton")->accent(), false);
    QCOMPARE(button("agentButton")->title(), QStringLiteral("安装后台守护"));
    QCOMPARE(part<QLabel>(*card, "status")->text(), QStringLiteral("守护启动中…"));

    // The agent installed from the card.
    QTest::mouseClick(button("agentButton"), Qt::LeftButton);
    QCOMPARE(model.agentInstalled(), true);
    QVERIFY(shown(*card, "agentChip"));
    QCOMPARE(button("agentButton")->title(), QStringLiteral("卸载后台守护"));
    QCOMPARE(button("agentButton")->symbol(), std::optional<Symbol>(Symbol::trash));
    QCOMPARE(part<QLabel>(*card, "status")->text(), model.guardStatus());

    // Switched off from the card.
    QTest::mouseClick(button("switchButton"), Qt::LeftButton);
    QCOMPARE(model.guardianOn(), false);
    QCOMPARE(chip("stateChip")->text(), QStringLiteral("已暂停"));
    QCOMPARE(chip("stateChip")->icon(), std::optional<Symbol>(Symbol::pauseCircleFill));
    QCOMPARE(part<NeuBadge>(*card, "badge")->symbol(), Symbol::shieldSlash);
    QCOMPARE(button("switchButton")->title(), QStringLiteral("开启守护"));
    QCOMPARE(button("switchButton")->accent(), true);
    QCOMPARE(part<QLabel>(*card, "status")->text(), model.guardStatus());
}

void TestCards::guardianLog()
{
    QTemporaryDir home;
    ProxyGuardian guardian(home.path());
    AppModel model(guardian, AppModel::Pacing{});
    Backdrop backdrop;
    auto *card = new GuardianCard(&model, &backdrop);
    QVERIFY(backdrop.showAndWait());
    auto *toggle = part<PlainButton>(*card, "logToggle");
    QCOMPARE(toggle->text(), QStringLiteral("守护日志"));
    QVERIFY(!shown(*card, "log"));

    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(model.showGuardLog(), true);
    QCOMPARE(toggle->text(), QStringLiteral("隐藏日志"));
    QTRY_COMPARE(part<Reveal>(*card, "log")->amount(), 1.0);
    QCOMPARE(part<Reveal>(*card, "log")->findChild<QLabel *>()->text(),
             QStringLiteral("暂无日志。当守护检测到或修复了代理残留时，这里会记录。"));

    // A card made later shows the log at once: its visibility is the model's.
    GuardianCard later(&model);
    QVERIFY(shown(later, "log"));

    // Lines the guardian wrote, oldest first, one per line.
    guardian.log().append(QStringLiteral("检测到残留代理 127.0.0.1:7890"));
    guardian.log().append(QStringLiteral("✅ 已关闭残留代理"));
    ScopedRunner quiet(std::make_shared<AcceptingRunner>());
    model.startGuardianIfNeeded();
    QVERIFY(AppModel::waitForBackgroundWork(std::chrono::seconds(10)));
    const QStringList lines =
        part<Reveal>(*card, "log")->findChild<QLabel *>()->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].endsWith(QStringLiteral("检测到残留代理 127.0.0.1:7890")));
    QVERIFY(lines[1].endsWith(QStringLiteral("✅ 已关闭残留代理")));
}

void TestCards::statusSigns_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("sign");
    QTest::addColumn<QString>("rest");

    QTest::newRow("success") << "✅ 修复成功：代理已关闭"
                             << "✅"
                             << "修复成功：代理已关闭";
    // Two code units: the sign must not leave its variation selector behind.
    QTest::newRow("cancelled") << "⚠️ 已取消授权"
                               << "⚠️"
                               << "已取消授权";
    QTest::newRow("waiting, two lines") << "⏳ 等待管理员授权…\n第二行"
                                        << "⏳"
                                        << "等待管理员授权…\n第二行";
    QTest::newRow("no sign") << "执行完成"
                             << ""
                             << "执行完成";
}

void TestCards::statusSigns()
{
    QFETCH(QString, log);
    QFETCH(QString, sign);
    QFETCH(QString, rest);

    QCOMPARE(splitStatusSign(log), std::make_pair(sign, rest));
}

void TestCards::cardsKeepTheirHeight()
{
    // In a list with room to spare, a card is as tall as its content at its width: the
    // spare room goes below the list, not into the cards.
    AppModel model;
    Backdrop backdrop;
    backdrop.resize(700, 900);
    auto *list = new QVBoxLayout(&backdrop);
    QList<QWidget *> cards{
        new FindingCard(finding(QStringLiteral("a"), Severity::ok, false), &model),
        new FindingCard(finding(QStringLiteral("b"), Severity::error, true), &model),
        new GuardianCard(&model)};
    for (QWidget *card : cards)
        list->addWidget(card);
    list->addStretch(1);
    QVERIFY(backdrop.showAndWait());
    for (QWidget *card : cards)
        QCOMPARE(card->height(), card->heightForWidth(card->width()));
}

QTEST_MAIN(TestCards)
#include "tst_cards.moc"
