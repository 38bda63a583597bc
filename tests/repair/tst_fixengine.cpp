#include "repair/fixengine.h"

#include "exec/shell.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

namespace {

FixAction action(const QString &id, const QStringList &commands, bool needsAdmin = false,
                 bool fallbackAdmin = false)
{
    FixAction fix;
    fix.id = id;
    fix.title = id;
    fix.commands = commands;
    fix.needsAdmin = needsAdmin;
    fix.fallbackAdmin = fallbackAdmin;
    fix.successHint = QStringLiteral("提示-") + id;
    return fix;
}

Finding finding(const QString &id, std::optional<FixAction> fix)
{
    Finding f;
    f.id = id;
    f.title = QStringLiteral("标题-") + id;
    f.severity = Severity::error;
    f.fix = std::move(fix);
    return f;
}

const QString kCancelOutput = QStringLiteral("0:56: execution error: User canceled. (-128)\n");

} // namespace

class TestFixEngine : public QObject {
    Q_OBJECT
private slots:
    void formatLogDecisions_data();
    void formatLogDecisions();
    void runDirectStopsAtFirstFailure();
    void applyPaths_data();
    void applyPaths();
    void applyWithoutCommandsIsNoSuccess_data();
    void applyWithoutCommandsIsNoSuccess();
    void applyAllWithoutRepairsDoesNothing();
    void applyAllDirectOnlyNeverPrompts();
    void applyAllGathersOnePrompt();
    void applyAllCancelledPrompt();
    void applyAllEmptyAdminRepairAddsNoPrompt();
};

void TestFixEngine::formatLogDecisions_data()
{
    QTest::addColumn<bool>("withAction");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("expected");

    const QString cancelled = QStringLiteral("⚠️ 已取消授权，未做任何修改。");
    QTest::newRow("1280 is a cancel whatever the output")
        << true << 1280 << QStringLiteral("done") << cancelled;
    QTest::newRow("success with hint and no output")
        << true << 0 << QStringLiteral(" \n") << QStringLiteral("✅ 修复成功：提示-fix-a");
    QTest::newRow("success without action has no hint")
        << false << 0 << QString() << QStringLiteral("✅ 修复成功");
    QTest::newRow("success shows trimmed output")
        << true << 0 << QStringLiteral("\n  line1\nline2 \n")
        << QStringLiteral("✅ 修复成功：提示-fix-a\nline1\nline2");
    QTest::newRow("zero code with cancel text is a success")
        << false << 0 << QStringLiteral("User canceled")
        << QStringLiteral("✅ 修复成功\nUser canceled");
    QTest::newRow("User canceled on failure") << true << 1 << kCancelOutput << cancelled;
    QTest::newRow("-128 alone on failure")
        << true << 1 << QStringLiteral("error (-128)") << cancelled;
    QTest::newRow("failure with output") << true << 2 << QStringLiteral("  boom \n")
                                         << QStringLiteral("❌ 执行失败（退出码 2）\nboom");
    QTest::newRow("failure without output")
        << false << 5 << QString() << QStringLiteral("❌ 执行失败（退出码 5）");
    QTest::newRow("negative code keeps its sign")
        << true << -1 << QStringLiteral("无法启动命令: x")
        << QStringLiteral("❌ 执行失败（退出码 -1）\n无法启动命令: x");
}

void TestFixEngine::formatLogDecisions()
{
    QFETCH(bool, withAction);
    QFETCH(int, code);
    QFETCH(QString, output);
    QFETCH(QString, expected);
    std::optional<FixAction> fix;
    if (withAction)
        fix = action(QStringLiteral("fix-a"), {QStringLiteral("true")});
    QCOMPARE(FixEngine::formatLog(fix, code, output), expected);
}

void TestFixEngine::runDirectStopsAtFirstFailure()
{
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(QStringLiteral("c1"), 0, QStringLiteral(" one \n"))
        .on(QStringLiteral("c2"), 0, QStringLiteral("\n"))
        .on(QStringLiteral("c3"), 3, QStringLiteral("three"))
        .on(QStringLiteral("c4"), 0, QStringLiteral("never"));
    ScopedRunner scope(runner);

    const ShellResult result = FixEngine::runDirect(
        {QStringLiteral("c1"), QStringLiteral("c2"), QStringLiteral("c3"), QStringLiteral("c4")});
    QCOMPARE(result.code, 3);
    QCOMPARE(result.output, QStringLiteral("one\nthree"));
    QCOMPARE(runner->commands(),
             QStringList({QStringLiteral("c1"), QStringLiteral("c2"), QStringLiteral("c3")}));
    for (const ScriptedRunner::Call &call : runner->calls())
        QCOMPARE(call.timeout, 25.0);
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestFixEngine::applyPaths_data()
{
    QTest::addColumn<bool>("needsAdmin");
    QTest::addColumn<bool>("fallbackAdmin");
    QTest::addColumn<int>("directCode"); // code of the first command; the others succeed
    QTest::addColumn<int>("adminCode");
    QTest::addColumn<QStringList>("expectedCommands");
    QTest::addColumn<bool>("expectedOk");
    QTest::addColumn<QString>("expectedLog");

    const QStringList three{QStringLiteral("c1"), QStringLiteral("c2"), QStringLiteral("c3")};
    const QString admin = adminCommandLine(three);

    QTest::newRow("direct success joins outputs")
        << false << false << 0 << 0 << three << true
        << QStringLiteral("✅ 修复成功：提示-fix-x\nout1\nout3");
    QTest::newRow("first of three fails, nothing after it runs")
        << false << false << 7 << 0 << QStringList{QStringLiteral("c1")} << false
        << QStringLiteral("❌ 执行失败（退出码 7）\nout1");
    QTest::newRow("needsAdmin never runs directly")
        << true << false << 0 << 0 << QStringList{admin} << true
        << QStringLiteral("✅ 修复成功：提示-fix-x\nadmin-out");
    QTest::newRow("needsAdmin wins over fallback")
        << true << true << 0 << 0 << QStringList{admin} << true
        << QStringLiteral("✅ 修复成功：提示-fix-x\nadmin-out");
    QTest::newRow("fallback after direct failure succeeds with note")
        << false << true << 7 << 0 << QStringList{QStringLiteral("c1"), admin} << true
        << QStringLiteral(
               "✅ 修复成功：提示-fix-x\n（免密码方式未生效，已通过管理员权限完成）\nadmin-out");
    QTest::newRow("fallback failing shows only the admin run")
        << false << true << 7 << 2 << QStringList{QStringLiteral("c1"), admin} << false
        << QStringLiteral("❌ 执行失败（退出码 2）\nadmin-out");
    QTest::newRow("fallback not needed when direct run succeeds")
        << false << true << 0 << 0 << three << true
        << QStringLiteral("✅ 修复成功：提示-fix-x\nout1\nout3");
    QTest::newRow("admin run cancelled")
        << true << false << 0 << 1280 << QStringList{admin} << false
        << QStringLiteral("⚠️ 已取消授权，未做任何修改。");
}

void TestFixEngine::applyPaths()
{
    QFETCH(bool, needsAdmin);
    QFETCH(bool, fallbackAdmin);
    QFETCH(int, directCode);
    QFETCH(int, adminCode);
    QFETCH(QStringList, expectedCommands);
    QFETCH(bool, expectedOk);
    QFETCH(QString, expectedLog);

    const QStringList commands{QStringLiteral("c1"), QStringLiteral("c2"), QStringLiteral("c3")};
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(QStringLiteral("c1"), directCode, QStringLiteral("out1\n"))
        .on(QStringLiteral("c2"), 0)
        .on(QStringLiteral("c3"), 0, QStringLiteral("out3"))
        .on(adminCommandLine(commands), adminCode, QStringLiteral("admin-out\n"));
    ScopedRunner scope(runner);

    const FixResult result =
        FixEngine::apply(action(QStringLiteral("fix-x"), commands, needsAdmin, fallbackAdmin));
    QCOMPARE(runner->commands(), expectedCommands);
    QCOMPARE(result.ok, expectedOk);
    QCOMPARE(result.log, expectedLog);
    for (const ScriptedRunner::Call &call : runner->calls())
        QCOMPARE(call.timeout, call.command.startsWith(QLatin1String("osascript")) ? 300.0 : 25.0);
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestFixEngine::applyWithoutCommandsIsNoSuccess_data()
{
    QTest::addColumn<bool>("needsAdmin");
    QTest::addColumn<bool>("fallbackAdmin");
    QTest::newRow("plain") << false << false;
    QTest::newRow("needs admin") << true << false;
    QTest::newRow("with fallback") << false << true;
}

void TestFixEngine::applyWithoutCommandsIsNoSuccess()
{
    QFETCH(bool, needsAdmin);
    QFETCH(bool, fallbackAdmin);
    auto runner = std::make_shared<ScriptedRunner>();
    ScopedRunner scope(runner);

    const FixResult result = FixEngine::apply(
        action(QStringLiteral("fix-proxy-off-all"), {}, needsAdmin, fallbackAdmin));
    QVERIFY(!result.ok);
    QCOMPARE(result.log, QStringLiteral("❌ 没有可执行的修复命令"));
    QVERIFY(runner->commands().isEmpty());
}

void TestFixEngine::applyAllWithoutRepairsDoesNothing()
{
    auto runner = std::make_shared<ScriptedRunner>();
    ScopedRunner scope(runner);
    QStringList progress;
    const auto logs = FixEngine::applyAll(
        {finding(QStringLiteral("a"), std::nullopt), finding(QStringLiteral("b"), std::nullopt)},
        [&progress](const QString &text) { progress << text; });
    QVERIFY(logs.isEmpty());
    QVERIFY(progress.isEmpty());
    QVERIFY(runner->commands().isEmpty());
}

void TestFixEngine::applyAllDirectOnlyNeverPrompts()
{
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(QStringLiteral("ok1"), 0).on(QStringLiteral("bad1"), 4, QStringLiteral("nope"));
    ScopedRunner scope(runner);
    QStringList progress;
    const auto logs = FixEngine::applyAll(
        {finding(QStringLiteral("a"), action(QStringLiteral("fix-a"), {QStringLiteral("ok1")})),
         finding(QStringLiteral("none"), std::nullopt),
         finding(QStringLiteral("b"), action(QStringLiteral("fix-b"), {QStringLiteral("bad1")}))},
        [&progress](const QString &text) { progress << text; });

    QCOMPARE(progress,
             QStringList({QStringLiteral("正在修复：标题-a"), QStringLiteral("正在修复：标题-b")}));
    QCOMPARE(runner->commands(), QStringList({QStringLiteral("ok1"), QStringLiteral("bad1")}));
    QCOMPARE(logs.size(), 2);
    QCOMPARE(logs.value(QStringLiteral("a")), QStringLiteral("✅ 修复成功：提示-fix-a"));
    QCOMPARE(logs.value(QStringLiteral("b")), QStringLiteral("❌ 执行失败（退出码 4）\nnope"));
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestFixEngine::applyAllGathersOnePrompt()
{
    // Admin repair, a fallback repair whose direct run fails, a direct one, another admin one:
    // the prompt's script must hold the gathered commands in input order.
    const QStringList batch{QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("f1"),
                            QStringLiteral("f2"), QStringLiteral("b1")};
    auto runner = std::make_shared<ScriptedRunner>();
    runner
        ->on(QStringLiteral("f1"), 1,
             QStringLiteral("** Error: Command requires admin privileges."))
        .on(QStringLiteral("d1"), 0)
        .on(adminCommandLine(batch), 0, QStringLiteral("root-out\n"));
    ScopedRunner scope(runner);
    QStringList progress;
    const auto logs = FixEngine::applyAll(
        {finding(QStringLiteral("A"), action(QStringLiteral("fix-a"),
                                             {QStringLiteral("a1"), QStringLiteral("a2")}, true)),
         finding(QStringLiteral("F"),
                 action(QStringLiteral("fix-f"), {QStringLiteral("f1"), QStringLiteral("f2")},
                        false, true)),
         finding(QStringLiteral("D"), action(QStringLiteral("fix-d"), {QStringLiteral("d1")})),
         finding(QStringLiteral("B"),
                 action(QStringLiteral("fix-b"), {QStringLiteral("b1")}, true))},
        [&progress](const QString &text) { progress << text; });

    QCOMPARE(runner->commands(),
             QStringList({QStringLiteral("f1"), QStringLiteral("d1"), adminCommandLine(batch)}));
    QCOMPARE(runner->count(adminCommandLine(batch)), 1);
    QCOMPARE(progress,
             QStringList({QStringLiteral("准备修复：标题-A"), QStringLiteral("正在修复：标题-F"),
                          QStringLiteral("正在修复：标题-D"), QStringLiteral("准备修复：标题-B"),
                          QStringLiteral("正在执行需要管理员权限的修复（1/1 授权）…")}));
    const QString batchLog = QStringLiteral("✅ 修复成功\nroot-out");
    QCOMPARE(logs.value(QStringLiteral("A")), batchLog);
    QCOMPARE(logs.value(QStringLiteral("F")), batchLog);
    QCOMPARE(logs.value(QStringLiteral("B")), batchLog);
    QCOMPARE(logs.value(QStringLiteral("D")), QStringLiteral("✅ 修复成功：提示-fix-d"));
    QCOMPARE(logs.size(), 4);
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestFixEngine::applyAllCancelledPrompt()
{
    const QStringList batch{QStringLiteral("a1"), QStringLiteral("b1")};
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(QStringLiteral("d1"), 0, QStringLiteral("fine"))
        .on(adminCommandLine(batch), 1, kCancelOutput);
    ScopedRunner scope(runner);
    const auto logs = FixEngine::applyAll(
        {finding(QStringLiteral("A"),
                 action(QStringLiteral("fix-a"), {QStringLiteral("a1")}, true)),
         finding(QStringLiteral("D"), action(QStringLiteral("fix-d"), {QStringLiteral("d1")})),
         finding(QStringLiteral("B"),
                 action(QStringLiteral("fix-b"), {QStringLiteral("b1")}, true))},
        {});

    const QString failed =
        QStringLiteral("❌ 批量修复失败：\n⚠️ 已取消授权，未做任何修改。");
    QCOMPARE(logs.value(QStringLiteral("A")), failed);
    QCOMPARE(logs.value(QStringLiteral("B")), failed);
    QCOMPARE(logs.value(QStringLiteral("D")), QStringLiteral("✅ 修复成功：提示-fix-d\nfine"));
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestFixEngine::applyAllEmptyAdminRepairAddsNoPrompt()
{
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(QStringLiteral("d1"), 0);
    ScopedRunner scope(runner);
    QStringList progress;
    const auto logs = FixEngine::applyAll(
        {finding(QStringLiteral("proxy"), action(QStringLiteral("fix-proxy-off-all"), {}, true)),
         finding(QStringLiteral("wifi"), action(QStringLiteral("fix-wifi-on"), {})),
         finding(QStringLiteral("D"), action(QStringLiteral("fix-d"), {QStringLiteral("d1")}))},
        [&progress](const QString &text) { progress << text; });

    QCOMPARE(runner->commands(), QStringList{QStringLiteral("d1")});
    QCOMPARE(progress, QStringList{QStringLiteral("正在修复：标题-D")});
    QCOMPARE(logs.value(QStringLiteral("proxy")), QStringLiteral("❌ 没有可执行的修复命令"));
    QCOMPARE(logs.value(QStringLiteral("wifi")), QStringLiteral("❌ 没有可执行的修复命令"));
    QCOMPARE(logs.value(QStringLiteral("D")), QStringLiteral("✅ 修复成功：提示-fix-d"));
    VERIFY_ALL_SCRIPTED(*runner);
}

QTEST_GUILESS_MAIN(TestFixEngine)
#include "tst_fixengine.moc"
