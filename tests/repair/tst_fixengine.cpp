#include "repair/fixengine.h"

#include "exec/shell.h"
#include "repair/adminscript.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace brevik;

Q_DECLARE_METATYPE(ShellResult)
Q_DECLARE_METATYPE(RepairOp)

using namespace Qt::StringLiterals;

namespace {

// Pauses stand for commands here: "sleep N" changes nothing that is read back.
QList<RepairOp> pauses(const QList<int> &seconds)
{
    QList<RepairOp> ops;
    for (const int n : seconds)
        ops << RepairOps::Pause{n};
    return ops;
}

FixAction action(const QString &id, const QList<RepairOp> &ops, bool needsAdmin = false,
                 bool fallbackAdmin = false)
{
    return FixAction{.id = id,
                     .title = id,
                     .operations = ops,
                     .needsAdmin = needsAdmin,
                     .fallbackAdmin = fallbackAdmin,
                     .successHint = QStringLiteral("提示-") + id};
}

Finding finding(const QString &id, std::optional<FixAction> fix)
{
    return Finding{.id = id,
                   .title = QStringLiteral("标题-") + id,
                   .severity = Severity::error,
                   .fix = std::move(fix)};
}

const QString kCancelOutput = QStringLiteral("0:56: execution error: User canceled. (-128)\n");
const QString kNothingToRun = QStringLiteral("❌ 没有可执行的修复命令");

// The password prompt for these repairs, one group of commands each. (What the script does
// behind the prompt is run on the simulated Mac.)
QString prompt(const QList<QStringList> &groups)
{
    return adminCommandLine({AdminScript::build(groups)});
}

} // namespace

class TestFixEngine : public QObject {
    Q_OBJECT
private slots:
    void formatLogDecisions_data();
    void formatLogDecisions();
    void applyPaths_data();
    void applyPaths();
    void settingsAreReadBack_data();
    void settingsAreReadBack();
    void applyWithoutCommandsIsNoSuccess();
    void applyAllGathersOnePrompt();
};

void TestFixEngine::formatLogDecisions_data()
{
    QTest::addColumn<bool>("withAction");
    QTest::addColumn<ShellResult>("run");
    QTest::addColumn<QString>("expected");

    const QString cancelled = QStringLiteral("⚠️ 已取消授权，未做任何修改。");
    using E = ProcessEnd;
    QTest::newRow("success shows hint and trimmed output")
        << true << ShellResult{0, u"\n  line1\nline2 \n"_s}
        << u"✅ 修复成功：提示-fix-a\nline1\nline2"_s;
    QTest::newRow("success without action has no hint")
        << false << ShellResult{0, u" \n"_s} << u"✅ 修复成功"_s;
    QTest::newRow("zero code with cancel text is a success")
        << false << ShellResult{0, u"User canceled"_s} << u"✅ 修复成功\nUser canceled"_s;
    QTest::newRow("User canceled on failure") << true << ShellResult{1, kCancelOutput} << cancelled;
    QTest::newRow("-128 alone on failure")
        << true << ShellResult{1, u"error (-128)"_s} << cancelled;
    QTest::newRow("failure with output")
        << true << ShellResult{2, u"  boom \n"_s} << u"❌ 执行失败（退出码 2）\nboom"_s;
    QTest::newRow("exit 15 is an exit code")
        << true << ShellResult{15, {}} << u"❌ 执行失败（退出码 15）"_s;
    QTest::newRow("time-out is no exit code, even with cancel text")
        << true << ShellResult{15, u"part (-128)"_s, E::timedOut}
        << u"❌ 执行失败（超时，命令已被终止）\npart (-128)"_s;
    QTest::newRow("time-out that exited 0 late is no success")
        << true << ShellResult{0, {}, E::timedOut} << u"❌ 执行失败（超时，命令已被终止）"_s;
    QTest::newRow("killed") << false << ShellResult{9, {}, E::signalled}
                            << u"❌ 执行失败（被信号 9 终止）"_s;
    QTest::newRow("never started")
        << false << ShellResult{-1, u"无法启动命令: x"_s, E::failedToStart}
        << u"❌ 执行失败（无法启动）\n无法启动命令: x"_s;
}

void TestFixEngine::formatLogDecisions()
{
    QFETCH(bool, withAction);
    QFETCH(ShellResult, run);
    std::optional<FixAction> fix;
    if (withAction)
        fix = action(QStringLiteral("fix-a"), pauses({1}));
    QTEST(FixEngine::formatLog(fix, run), "expected");
}

void TestFixEngine::applyPaths_data()
{
    QTest::addColumn<bool>("fallbackAdmin");
    QTest::addColumn<ShellResult>("first"); // how the first command ends; the others succeed
    QTest::addColumn<QStringList>("expectedCommands");
    QTest::addColumn<bool>("expectedOk");
    QTest::addColumn<QString>("expectedLog");

    // The prompt's side (needsAdmin, the fallback's outcome) runs on the simulated Mac.
    const QStringList three{"sleep 1", "sleep 2", "sleep 3"};
    QTest::newRow("direct success joins outputs")
        << false << ShellResult{0, u"out1\n"_s} << three << true
        << u"✅ 修复成功：提示-fix-x\nout1\nout3"_s;
    QTest::newRow("first of three fails, nothing after it runs, the failure named")
        << false << ShellResult{7, u"out1\n"_s} << QStringList{"sleep 1"} << false
        << u"❌ 执行失败（退出码 7）\n失败的命令：sleep 1\nout1"_s;
    QTest::newRow("a time-out that exited 0 stops the run")
        << false << ShellResult{0, {}, ProcessEnd::timedOut} << QStringList{"sleep 1"} << false
        << u"❌ 执行失败（超时，命令已被终止）\n失败的命令：sleep 1"_s;
    QTest::newRow("fallback not needed when direct run succeeds")
        << true << ShellResult{0, u"out1\n"_s} << three << true
        << u"✅ 修复成功：提示-fix-x\nout1\nout3"_s;
}

void TestFixEngine::applyPaths()
{
    QFETCH(bool, fallbackAdmin);
    QFETCH(ShellResult, first);

    const QStringList commands{"sleep 1", "sleep 2", "sleep 3"};
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on("sleep 1", first)
        .on("sleep 2", 0)
        .on("sleep 3", 0, "out3")
        .on(prompt({commands}), 1, "0:1: execution error: (1)\n");
    ScopedRunner scope(runner);

    const FixResult result =
        FixEngine::apply(action(QStringLiteral("fix-x"), pauses({1, 2, 3}), false, fallbackAdmin));
    QTEST(runner->commands(), "expectedCommands");
    QTEST(result.ok, "expectedOk");
    QTEST(result.log, "expectedLog");
    // The password prompt may wait for the user far longer than a command.
    for (const ScriptedRunner::Call &call : runner->calls())
        QCOMPARE(call.timeout, call.command.startsWith(QLatin1String("osascript")) ? 300.0 : 25.0);
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestFixEngine::settingsAreReadBack_data()
{
    QTest::addColumn<RepairOp>("op");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("readBack"); // what the query shows
    QTest::addColumn<QString>("expectedLog");

    const QString unmet = QStringLiteral("❌ 修复未生效：命令已执行，但设置没有改变\n复查 ");
    const RepairOp proxyOff = RepairOps::ProxyState{u"Wi-Fi"_s, ProxyKind::web, false};
    const RepairOp publicDns = RepairOps::DnsServers{u"Wi-Fi"_s, {u"223.5.5.5"_s, u"119.29.29.29"_s}};
    QTest::newRow("proxy still on although the command exited 0")
        << proxyOff << u"networksetup -setwebproxystate 'Wi-Fi' off"_s
        << u"Enabled: Yes\nServer: 127.0.0.1\nPort: 7890\n"_s
        << unmet +
               "networksetup -getwebproxy 'Wi-Fi'：Enabled: Yes / Server: 127.0.0.1 / Port: 7890";
    QTest::newRow("proxy reads back off")
        << proxyOff << u"networksetup -setwebproxystate 'Wi-Fi' off"_s << u"Enabled: No\nServer: \nPort: 0\n"_s
        << u"✅ 修复成功：提示-fix-r"_s;
    QTest::newRow("DNS servers did not take")
        << publicDns << u"networksetup -setdnsservers 'Wi-Fi' 223.5.5.5 119.29.29.29"_s
        << u"There aren't any DNS Servers set on Wi-Fi.\n"_s
        << unmet +
               "networksetup -getdnsservers 'Wi-Fi'：There aren't any DNS Servers set on Wi-Fi.";
}

void TestFixEngine::settingsAreReadBack()
{
    QFETCH(RepairOp, op);
    QFETCH(QString, command);
    QFETCH(QString, readBack);

    // "-setwebproxystate 'Wi-Fi' off" is read back by "-getwebproxy 'Wi-Fi'".
    const QString query = QString(command)
                              .replace("-setwebproxystate", "-getwebproxy")
                              .replace("-setdnsservers", "-getdnsservers")
                              .section(QLatin1Char(' '), 0, 2);
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(command, 0).on(query, 0, readBack);
    ScopedRunner scope(runner);

    QCOMPARE(renderCommand(op), command);
    const FixResult result = FixEngine::apply(action(QStringLiteral("fix-r"), {op}));
    QCOMPARE(runner->commands(), (QStringList{command, query}));
    QTEST(result.log, "expectedLog");
    QCOMPARE(result.ok, result.log.startsWith(QStringLiteral("✅")));
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestFixEngine::applyWithoutCommandsIsNoSuccess()
{
    auto runner = std::make_shared<ScriptedRunner>();
    ScopedRunner scope(runner);
    for (const auto &[needsAdmin, fallbackAdmin] :
         {std::pair{false, false}, {true, false}, {false, true}}) {
        const FixResult result = FixEngine::apply(
            action(QStringLiteral("fix-proxy-off-all"), {}, needsAdmin, fallbackAdmin));
        QVERIFY(!result.ok);
        QCOMPARE(result.log, kNothingToRun);
    }
    QVERIFY(runner->commands().isEmpty());
}

void TestFixEngine::applyAllGathersOnePrompt()
{
    // Admin repair, a fallback repair whose direct run fails, a direct one, another admin one:
    // the prompt's script must hold each repair's commands, in input order. A finding without
    // a repair is passed over; one whose repair has no commands is no success and adds nothing
    // to the prompt. A script that reports on none of them (cut short, say) fails them all.
    const QString batch = prompt({{"sleep 11", "sleep 12"}, {"sleep 21", "sleep 22"}, {"sleep 41"}});
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on("sleep 21", 1, "** Error: Command requires admin privileges.")
        .on("sleep 31", 0)
        .on(batch, 0, "root-out\n");
    ScopedRunner scope(runner);
    QStringList progress;
    const auto logs =
        FixEngine::applyAll({finding("A", action("fix-a", pauses({11, 12}), true)),
                             finding("F", action("fix-f", pauses({21, 22}), false, true)),
                             finding("D", action("fix-d", pauses({31}))),
                             finding("none", std::nullopt),
                             finding("empty", action("fix-proxy-off-all", {}, true)),
                             finding("B", action("fix-b", pauses({41}), true))},
                            [&progress](const QString &text) { progress << text; });

    QCOMPARE(runner->commands(), (QStringList{"sleep 21", "sleep 31", batch}));
    QCOMPARE(progress,
             (QStringList{"准备修复：标题-A", "正在修复：标题-F", "正在修复：标题-D",
                          "准备修复：标题-B", "正在执行需要管理员权限的修复（1/1 授权）…"}));
    // What the script printed goes with the first repair it left unreported.
    const QString unreported = QStringLiteral("❌ 批量修复失败：\n❌ 执行失败（退出码 -1）\n"
                                              "管理员脚本没有报告这项修复的结果");
    QCOMPARE(logs.value("A").log, unreported + "\nroot-out");
    QCOMPARE(logs.value("F").log, unreported);
    QCOMPARE(logs.value("B").log, unreported);
    QCOMPARE(logs.value("D").log, QStringLiteral("✅ 修复成功：提示-fix-d"));
    QVERIFY(!logs.contains("none"));
    QCOMPARE(logs.value("empty").log, kNothingToRun);
    VERIFY_ALL_SCRIPTED(*runner);
}

QTEST_GUILESS_MAIN(TestFixEngine)
#include "tst_fixengine.moc"
