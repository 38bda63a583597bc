#include "backdrop.h"

#include "appmodel/appmodel.h"
#include "guardian/proxyguardian.h"
#include "tests/support/scriptedrunner.h"
#include "ui/cards/aiservicecard.h"
#include "ui/cards/findingcard.h"
#include "ui/cards/guardiancard.h"
#include "ui/cards/statcard.h"
#include "ui/kit/controls/neubadge.h"
#include "ui/kit/controls/neubutton.h"
#include "ui/kit/controls/neuchip.h"
#include "ui/kit/controls/plainbutton.h"
#include "ui/kit/controls/statusdot.h"
#include "ui/kit/motion/reveal.h"
#include "ui/kit/motion/spinner.h"
#include "ui/kit/symbols/symbolview.h"
#include "ui/kit/text/fittext.h"
#include "ui/kit/text/statussign.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace brevik;

namespace {

const RepairOp kRepairOp = RepairOps::ProxyState{QStringLiteral("Wi-Fi"), ProxyKind::web, false};
const QString kRepairCommand = QStringLiteral("networksetup -setwebproxystate 'Wi-Fi' off");
enum class Repair { none, plain, admin };

Finding finding(const QString &id, Severity severity, Repair repair)
{
    Finding f{.id = id,
              .title = QStringLiteral("系统代理残留"),
              .severity = severity,
              .detail = QStringLiteral("代理 127.0.0.1:7890 无人监听。"),
              .category = CheckCategory::proxy};
    if (repair != Repair::none) {
        f.fix = FixAction{.id = QStringLiteral("fix-proxy-off-all"),
                          .title = QStringLiteral("关闭系统代理"),
                          .operations = {kRepairOp},
                          .needsAdmin = repair == Repair::admin};
    }
    return f;
}

// launchd as a test sees it: every command succeeds.
class AcceptingRunner : public Runner {
public:
    ShellResult run(const QString &, double) override { return {}; }
};

// Shows `card` in a list on `backdrop` with room to spare, and tells whether it is as tall as
// its content at its width: the spare room must go below the list, not into the card.
bool inList(Backdrop &backdrop, QWidget *card)
{
    backdrop.resize(700, 900);
    auto *list = new QVBoxLayout(&backdrop);
    list->addWidget(card);
    list->addStretch(1);
    return backdrop.showAndWait() && card->height() == card->heightForWidth(card->width());
}

QString labelOf(const QWidget &card, const char *name)
{
    return part<QLabel>(card, name)->text();
}

} // namespace

class TestCards : public QObject {
    Q_OBJECT

private slots:
    void findingCard_data();
    void findingCard();
    void onlyTheRepairedCardSpins();
    void guardianCard();
    void statusSigns_data();
    void statusSigns();
    void aiService_data();
    void aiService();
    void statValueFits_data();
    void statValueFits();
};

void TestCards::findingCard_data()
{
    QTest::addColumn<Severity>("severity");
    QTest::addColumn<Repair>("repair");
    QTest::addColumn<bool>("withSteps");
    QTest::addColumn<QString>("repairTitle");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("copied");

    const QString commands = kRepairCommand + QStringLiteral("\ndscacheutil -flushcache");
    const QString none;
    QTest::newRow("ok without repair: manual chip")
        << Severity::ok << Repair::none << false << none << none << none;
    QTest::newRow("warn with repair") << Severity::warn << Repair::plain << false << "一键修复"
                                      << "关闭系统代理"
                                      << "# 系统代理残留\n" + commands;
    QTest::newRow("error with an administrator's repair")
        << Severity::error << Repair::admin << false << "立即修复"
        << "需要管理员权限：会弹出系统密码框\n关闭系统代理"
        << "# 系统代理残留\n# 需要管理员权限（前面加 sudo 或在终端执行）\n" + commands;
    QTest::newRow("info with hint and three steps")
        << Severity::info << Repair::none << true << none << none << none;
}

void TestCards::findingCard()
{
    QFETCH(Severity, severity);
    QFETCH(Repair, repair);
    QFETCH(bool, withSteps);

    Finding f = finding(QStringLiteral("proxy-dead"), severity, repair);
    if (f.fix)
        f.fix->operations << RepairOps::FlushDnsCache{};
    if (withSteps) {
        f.fixHint = QStringLiteral("关闭系统代理。");
        f.manualSteps = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")};
    }
    // Details quote tool output; whatever looks like markup in it is shown as it is.
    f.detail = QStringLiteral("<b>curl</b> 返回 <img src=\"x\"> & 000");
    AppModel model;
    Backdrop backdrop;
    auto *card = new FindingCard(f, &model);
    QVERIFY(inList(backdrop, card));

    // The badge's symbol is drawn in the severity's colour and in no other severity's.
    const QImage badge = card->findChild<NeuBadge *>()->grab().toImage();
    QSet<QRgb> seen;
    for (int y = 0; y < badge.height(); ++y) {
        for (int x = 0; x < badge.width(); ++x) {
            for (Severity other : {Severity::ok, Severity::info, Severity::warn, Severity::error}) {
                if (near(badge.pixelColor(x, y), neuColor(severityRole(other)), 2))
                    seen << neuColor(severityRole(other)).rgb();
            }
        }
    }
    QCOMPARE(seen, QSet<QRgb>{neuColor(severityRole(severity)).rgb()});
    QCOMPARE(labelOf(*card, "detail"), f.detail);
    QCOMPARE(part<QLabel>(*card, "detail")->textFormat(), Qt::PlainText);
    QCOMPARE(shown(*card, "hintBox"), withSteps);
    QCOMPARE(shown(*card, "stepsToggle"), withSteps);
    QCOMPARE(shown(*card, "steps") || shown(*card, "logBox") || shown(*card, "spinner"), false);
    QCOMPARE(shown(*card, "manualChip"), !f.fix);
    QCOMPARE(shown(*card, "copyButton"), bool(f.fix));
    auto *button = part<NeuButton>(*card, "repairButton");
    QCOMPARE(button != nullptr, bool(f.fix));
    if (button) {
        QTEST(button->title(), "repairTitle");
        QCOMPARE(button->accent(), severity == Severity::error);
        QVERIFY(button->isEnabled());
        QTEST(button->toolTip(), "tooltip");
        QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
        QTest::mouseClick(part<NeuButton>(*card, "copyButton"), Qt::LeftButton);
        QTEST(QGuiApplication::clipboard()->text(), "copied");
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->formats(),
                 QStringList{QStringLiteral("text/plain")});
    } else {
        QCOMPARE(part<NeuChip>(*card, "manualChip")->text(), QStringLiteral("按提示手动处理"));
    }
    if (!withSteps)
        return;

    auto *toggle = part<PlainButton>(*card, "stepsToggle");
    auto *steps = part<Reveal>(*card, "steps");
    QCOMPARE(toggle->text(), QStringLiteral("查看手动修复步骤（3）"));
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(toggle->text(), QStringLiteral("收起手动步骤"));
    QTRY_COMPARE(steps->amount(), 1.0);
    QStringList numbers;
    for (const QLabel *label : steps->findChildren<QLabel *>()) {
        if (label->text().endsWith(QLatin1Char('.')))
            numbers << label->text();
    }
    QCOMPARE(numbers, (QStringList{"1.", "2.", "3."}));
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(toggle->text(), QStringLiteral("查看手动修复步骤（3）"));
    QTRY_VERIFY(!steps->isVisible());
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
    auto *first = new FindingCard(finding(QStringLiteral("first"), Severity::warn, Repair::plain),
                                  &model, &backdrop);
    auto *second = new FindingCard(
        finding(QStringLiteral("second"), Severity::error, Repair::plain), &model, &backdrop);
    QVERIFY(backdrop.showAndWait());

    QTest::mouseClick(part<NeuButton>(*first, "repairButton"), Qt::LeftButton);
    QTest::mouseClick(part<NeuButton>(*second, "repairButton"), Qt::LeftButton);
    QCOMPARE(model.fixingId(), std::optional<QString>(QStringLiteral("first")));
    QVERIFY(shown(*first, "spinner") && part<Spinner>(*first, "spinner")->isSpinning());
    QVERIFY(!shown(*second, "spinner"));
    QVERIFY(!part<NeuButton>(*first, "repairButton")->isEnabled());
    QVERIFY(!part<NeuButton>(*second, "repairButton")->isEnabled());
    QVERIFY(part<NeuButton>(*second, "copyButton")->isEnabled());
    QVERIFY(shown(*first, "logBox") && !shown(*second, "logBox"));

    QVERIFY(AppModel::waitForBackgroundWork(std::chrono::seconds(10)));
    QVERIFY(!shown(*first, "spinner"));
    QVERIFY(part<NeuButton>(*second, "repairButton")->isEnabled());
    const QString log = model.fixLog().value(QStringLiteral("first"));
    QVERIFY(log.startsWith(QStringLiteral("❌")));
    const QWidget *logBox = part<QWidget>(*first, "logBox");
    QCOMPARE(logBox->findChild<StatusSign *>()->sign() + QLatin1Char(' ') +
                 logBox->findChild<QLabel *>()->text(),
             log);
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestCards::guardianCard()
{
    QTemporaryDir home;
    ProxyGuardian guardian(home.path());
    AppModel model(guardian, AppModel::Pacing{});
    ScopedRunner launchd(std::make_shared<AcceptingRunner>());
    Backdrop backdrop;
    auto *card = new GuardianCard(&model);
    QVERIFY(inList(backdrop, card));
    const auto chip = [&](const char *name) { return part<NeuChip>(*card, name); };
    const auto button = [&](const char *name) { return part<NeuButton>(*card, name); };
    const auto logText = [&] { return part<Reveal>(*card, "log")->findChild<QLabel *>()->text(); };

    // A fresh model: on, nothing repaired yet, no agent, the log folded and empty.
    QCOMPARE(chip("stateChip")->text(), QStringLiteral("运行中"));
    QCOMPARE(chip("stateChip")->color(), neuSuccess);
    QCOMPARE(chip("countChip")->text(), QStringLiteral("已自动修复 0 次"));
    QVERIFY(shown(*card, "countChip") && !shown(*card, "agentChip") && !shown(*card, "log"));
    // Every shadow it casts belongs to a part it shows: the resume button, hidden before the
    // card first showed, casts none.
    QVERIFY(!shown(*card, "resumeButton"));
    for (const QWidget *layer : card->findChildren<QWidget *>(QStringLiteral("shadowLayer"))) {
        if (!layer->isVisible())
            continue;
        const QList<QWidget *> parts = layer->parentWidget()->findChildren<QWidget *>(
            Qt::FindDirectChildrenOnly);
        QVERIFY2(std::any_of(parts.cbegin(), parts.cend(),
                             [&](const QWidget *part) {
                                 return part != layer && part->isVisible() &&
                                        part->geometry().center() == layer->geometry().center();
                             }),
                 qPrintable(QStringLiteral("a shadow at %1,%2 casts nothing shown")
                                .arg(layer->x())
                                .arg(layer->y())));
    }
    QCOMPARE(part<NeuBadge>(*card, "badge")->symbol(), Symbol::shieldLefthalfFilled);
    QCOMPARE(button("switchButton")->title(), QStringLiteral("暂停守护"));
    QCOMPARE(button("switchButton")->accent(), false);
    QCOMPARE(button("agentButton")->title(), QStringLiteral("安装后台守护"));
    QCOMPARE(labelOf(*card, "status"), QStringLiteral("守护启动中…"));
    auto *toggle = part<PlainButton>(*card, "logToggle");
    QCOMPARE(toggle->text(), QStringLiteral("守护日志"));
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(model.showGuardLog(), true);
    QCOMPARE(toggle->text(), QStringLiteral("隐藏日志"));
    QTRY_COMPARE(part<Reveal>(*card, "log")->amount(), 1.0);
    QCOMPARE(logText(), QStringLiteral("暂无日志。当守护检测到或修复了代理残留时，这里会记录。"));
    // A card made later shows the log at once: its visibility is the model's.
    GuardianCard later(&model);
    QVERIFY(shown(later, "log"));

    QTest::mouseClick(button("agentButton"), Qt::LeftButton);
    QCOMPARE(model.agentInstalled(), true);
    QVERIFY(shown(*card, "agentChip"));
    QCOMPARE(button("agentButton")->title(), QStringLiteral("卸载后台守护"));
    QCOMPARE(
        labelOf(*card, "status"),
        QStringLiteral("后台守护已安装：即使本工具关闭，也会每 5 秒自动检测并修复代理残留断网。"));

    QTest::mouseClick(button("switchButton"), Qt::LeftButton);
    QCOMPARE(model.guardianOn(), false);
    QCOMPARE(chip("stateChip")->text(), QStringLiteral("已暂停"));
    QCOMPARE(chip("stateChip")->icon(), std::optional<Symbol>(Symbol::pauseCircleFill));
    QCOMPARE(part<NeuBadge>(*card, "badge")->symbol(), Symbol::shieldSlash);
    QCOMPARE(button("switchButton")->title(), QStringLiteral("开启守护"));
    QCOMPARE(button("switchButton")->accent(), true);
    QCOMPARE(labelOf(*card, "status"), QStringLiteral("守护已暂停（不会自动修复代理残留）"));

    QTest::mouseClick(button("agentButton"), Qt::LeftButton);
    QVERIFY(!model.agentInstalled() && !shown(*card, "agentChip"));
    QCOMPARE(labelOf(*card, "status"), QStringLiteral("后台守护已卸载。"));

    // Lines the guardian wrote, oldest first, one per line.
    guardian.log().append(QStringLiteral("✅ 已关闭残留代理"));
    model.startGuardianIfNeeded();
    QVERIFY(AppModel::waitForBackgroundWork(std::chrono::seconds(10)));
    const QStringList lines = logText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].endsWith(QStringLiteral("[后台守护] 已安装 LaunchAgent（每 5 秒检查一次）")));
    QVERIFY(lines[1].endsWith(QStringLiteral("[后台守护] 已卸载")));
    QVERIFY(lines[2].endsWith(QStringLiteral("✅ 已关闭残留代理")));
    // The open log grew with its lines: none is cut off.
    const Reveal *log = part<Reveal>(*card, "log");
    QTRY_COMPARE(log->height(), log->content()->heightForWidth(log->width()));
}

void TestCards::statusSigns_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QStringList>("signAndRest");

    QTest::newRow("success") << "✅ 修复成功：代理已关闭"
                             << QStringList{"✅", "修复成功：代理已关闭"};
    // Two code units: the sign must not leave its variation selector behind.
    QTest::newRow("cancelled") << "⚠️ 已取消授权" << QStringList{"⚠️", "已取消授权"};
    QTest::newRow("waiting, two lines")
        << "⏳ 等待管理员授权…\n第二行" << QStringList{"⏳", "等待管理员授权…\n第二行"};
    QTest::newRow("no sign") << "执行完成" << QStringList{"", "执行完成"};
}

void TestCards::statusSigns()
{
    QFETCH(QString, log);

    const auto [sign, rest] = splitStatusSign(log);
    QTEST((QStringList{sign, rest}), "signAndRest");
}

void TestCards::aiService_data()
{
    QTest::addColumn<bool>("direct");
    QTest::addColumn<bool>("proxy");
    QTest::addColumn<int>("latency");
    QTest::addColumn<Symbol>("verdict");
    QTest::addColumn<NeuRole>("color");
    QTest::addColumn<QString>("latencyText");

    QTest::newRow("only the proxy works")
        << false << true << 240 << Symbol::checkmarkCircleFill << neuSuccess << "240 ms";
    QTest::newRow("only the direct probe works")
        << true << false << 85 << Symbol::checkmarkCircleFill << neuSuccess << "85 ms";
    QTest::newRow("neither works")
        << false << false << 0 << Symbol::xmarkCircleFill << neuDanger << "不可达";
}

void TestCards::aiService()
{
    QFETCH(bool, direct);
    QFETCH(bool, proxy);
    QFETCH(int, latency);

    AIServiceCard card(AIStatus{.id = QStringLiteral("Claude"),
                                .name = QStringLiteral("Claude"),
                                .url = QStringLiteral("https://api.anthropic.com"),
                                .directOK = direct,
                                .proxyOK = proxy,
                                .latencyMs = latency},
                       true);
    QTEST(card.verdict()->symbol(), "verdict");
    QTEST(card.verdict()->color(), "color");
    QCOMPARE(card.directDot()->isOn(), direct);
    QCOMPARE(card.proxyDot()->isOn(), proxy);
    QTEST(card.latencyText(), "latencyText");
}

void TestCards::statValueFits_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<qreal>("least");
    QTest::addColumn<qreal>("most");

    QTest::newRow("fits") << "12" << 240 << 1.0 << 1.0;
    QTest::newRow("slightly too wide shrinks") << "网络正常可用" << 130 << 0.71 << 0.99;
    QTest::newRow("far too wide stops at 0.7") << "网络正常可用，仍有可选优化" << 110 << 0.7 << 0.7;
}

void TestCards::statValueFits()
{
    QFETCH(QString, value);
    QFETCH(int, width);
    QFETCH(qreal, least);
    QFETCH(qreal, most);

    Backdrop backdrop;
    auto *card = new StatCard(QStringLiteral("网络状态"), value, neuSuccess,
                              Symbol::checkmarkSealFill, &backdrop);
    card->setGeometry(20, 20, width, card->sizeHint().height());
    QVERIFY(backdrop.showAndWait());
    const qreal scale = card->findChild<FitText *>()->scale();
    QVERIFY2(scale >= least && scale <= most, qPrintable(QString::number(scale)));
}

QTEST_MAIN(TestCards)
#include "tst_cards.moc"
