#include "repair/fixengine.h"

#include "exec/shell.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

FixAction action(const QString &id, const QStringList &commands, bool needsAdmin = false,
                 bool fallbackAdmin = false)
{
    return FixAction{.id = id,
                     .title = id,
                     .commands = commands,
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

} // namespace

class TestFixEngine : public QObject {
    Q_OBJECT
private slots:
    void formatLogDecisions_data();
    void formatLogDecisions();
    void applyPaths_data();
    void applyPaths();
    void applyWithoutCommandsIsNoSuccess();
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
    QTest::newRow("1280 is a cancel whatever the output") << true << 1280 << u"done"_s << cancelled;
    QTest::newRow("success shows hint and trimmed output")
        << true << 0 << u"\n  line1\nline2 \n"_s << u"✅ 修复成功：提示-fix-a\nline1\nline2"_s;
    QTest::newRow("success without action has no hint")
        << false << 0 << u" \n"_s << u"✅ 修复成功"_s;
    QTest::newRow("zero code with cancel text is a success")
        << false << 0 << u"User canceled"_s << u"✅ 修复成功\nUser canceled"_s;
    QTest::newRow("User canceled on failure") << true << 1 << kCancelOutput << cancelled;
    QTest::newRow("-128 alone on failure") << true << 1 << u"error (-128)"_s << cancelled;
    QTest::newRow("failure with output")
        << true << 2 << u"  boom \n"_s << u"❌ 执行失败（退出码 2）\nboom"_s;
}

void TestFixEngine::formatLogDecisions()
{
    QFETCH(bool, withAction);
    QFETCH(int, code);
    QFETCH(QString, output);
    std::optional<FixAction> fix;
    if (withAction)
        fix = action(QStringLiteral("fix-a"), {QStringLiteral("true")});
    QTEST(FixEngine::formatLog(fix, code, output), "expected");
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

    const QStringList three{"c1", "c2", "c3"};
    const QString admin = adminCommandLine(three);
    const QString adminDone = QStringLiteral("✅ 修复成功：提示-fix-x\nadmin-out");

    QTest::newRow("direct success joins outputs")
        << false << false << 0 << 0 << three << true << u"✅ 修复成功：提示-fix-x\nout1\nout3"_s;
    QTest::newRow("first of three fails, nothing after it runs")
        << false << false << 7 << 0 << QStringList{"c1"} << false
        << u"❌ 执行失败（退出码 7）\nout1"_s;
    QTest::newRow("needsAdmin never runs directly")
        << true << false << 0 << 0 << QStringList{admin} << true << adminDone;
    QTest::newRow("needsAdmin wins over fallback")
        << true << true << 0 << 0 << QStringList{admin} << true << adminDone;
    QTest::newRow("fallback after direct failure succeeds with note")
        << false << true << 7 << 0 << QStringList{"c1", admin} << true
        << u"✅ 修复成功：提示-fix-x\n（免密码方式未生效，已通过管理员权限完成）\nadmin-out"_s;
    QTest::newRow("fallback failing shows only the admin run")
        << false << true << 7 << 2 << QStringList{"c1", admin} << false
        << u"❌ 执行失败（退出码 2）\nadmin-out"_s;
    QTest::newRow("fallback not needed when direct run succeeds")
        << false << true << 0 << 0 << three << true << u"✅ 修复成功：提示-fix-x\nout1\nout3"_s;
}

void TestFixEngine::applyPaths()
{
    QFETCH(bool, needsAdmin);
    QFETCH(bool, fallbackAdmin);
    QFETCH(int, directCode);
    QFETCH(int, adminCode);

    const QStringList commands{"c1", "c2", "c3"};
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on("c1", directCode, "out1\n")
        .on("c2", 0)
        .on("c3", 0, "out3")
        .on(adminCommandLine(commands), adminCode, "admin-out\n");
    ScopedRunner scope(runner);

    const FixResult result =
        FixEngine::apply(action(QStringLiteral("fix-x"), commands, needsAdmin, fallbackAdmin));
    QTEST(runner->commands(), "expectedCommands");
    QTEST(result.ok, "expectedOk");
    QTEST(result.log, "expectedLog");
    // The password prompt may wait for the user far longer than a command.
    for (const ScriptedRunner::Call &call : runner->calls())
        QCOMPARE(call.timeout, call.command.startsWith(QLatin1String("osascript")) ? 300.0 : 25.0);
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
    // the prompt's script must hold the gathered commands in input order. A finding without a
    // repair is passed over.
    const QStringList batch{"a1", "a2", "f1", "f2", "b1"};
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on("f1", 1, "** Error: Command requires admin privileges.")
        .on("d1", 0)
        .on(adminCommandLine(batch), 0, "root-out\n");
    ScopedRunner scope(runner);
    QStringList progress;
    const auto logs =
        FixEngine::applyAll({finding("A", action("fix-a", {"a1", "a2"}, true)),
                             finding("F", action("fix-f", {"f1", "f2"}, false, true)),
                             finding("D", action("fix-d", {"d1"})), finding("none", std::nullopt),
                             finding("B", action("fix-b", {"b1"}, true))},
                            [&progress](const QString &text) { progress << text; });

    QCOMPARE(runner->commands(), (QStringList{"f1", "d1", adminCommandLine(batch)}));
    QCOMPARE(progress,
             (QStringList{"准备修复：标题-A", "正在修复：标题-F", "正在修复：标题-D",
                          "准备修复：标题-B", "正在执行需要管理员权限的修复（1/1 授权）…"}));
    const QString batchLog = QStringLiteral("✅ 修复成功\nroot-out");
    QCOMPARE(logs.value("A"), batchLog);
    QCOMPARE(logs.value("F"), batchLog);
    QCOMPARE(logs.value("B"), batchLog);
    QCOMPARE(logs.value("D"), QStringLiteral("✅ 修复成功：提示-fix-d"));
    QVERIFY(!logs.contains("none"));
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestFixEngine::applyAllCancelledPrompt()
{
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on("d1", 0, "fine").on(adminCommandLine({"a1", "b1"}), 1, kCancelOutput);
    ScopedRunner scope(runner);
    const auto logs = FixEngine::applyAll({finding("A", action("fix-a", {"a1"}, true)),
                                           finding("D", action("fix-d", {"d1"})),
                                           finding("B", action("fix-b", {"b1"}, true))},
                                          {});

    const QString failed =
        QStringLiteral("❌ 批量修复失败：\n⚠️ 已取消授权，未做任何修改。");
    QCOMPARE(logs.value("A"), failed);
    QCOMPARE(logs.value("B"), failed);
    QCOMPARE(logs.value("D"), QStringLiteral("✅ 修复成功：提示-fix-d\nfine"));
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestFixEngine::applyAllEmptyAdminRepairAddsNoPrompt()
{
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on("d1", 0);
    ScopedRunner scope(runner);
    QStringList progress;
    const auto logs = FixEngine::applyAll({finding("proxy", action("fix-proxy-off-all", {}, true)),
                                           finding("wifi", action("fix-wifi-on", {})),
                                           finding("D", action("fix-d", {"d1"}))},
                                          [&progress](const QString &text) { progress << text; });

    QCOMPARE(runner->commands(), QStringList{"d1"});
    QCOMPARE(progress, QStringList{"正在修复：标题-D"});
    QCOMPARE(logs.value("proxy"), kNothingToRun);
    QCOMPARE(logs.value("wifi"), kNothingToRun);
    QCOMPARE(logs.value("D"), QStringLiteral("✅ 修复成功：提示-fix-d"));
    VERIFY_ALL_SCRIPTED(*runner);
}

QTEST_GUILESS_MAIN(TestFixEngine)
#include "tst_fixengine.moc"
