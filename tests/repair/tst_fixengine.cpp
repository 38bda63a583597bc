#include "repair/fixengine.h"

#include "exec/shell.h"
#include "tests/support/scriptedrunner.h"

#include <QRegularExpression>

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
const QString kCancelled = QStringLiteral("⚠️ 已取消授权，未做任何修改。");

// The password prompt as osascript answers it: the script runs in a real /bin/sh in which
// each command word is a shell function with its own code and output, and a script that
// exits 0 hands back its standard output with carriage returns for line ends. Commands run
// directly are answered from the script as usual.
class PromptRunner : public ScriptedRunner {
public:
    bool cancel = false;

    // `name` answers `directCode` when run directly and `promptCode` inside the prompt.
    PromptRunner &command(const QString &name, int directCode, int promptCode,
                          const QString &output = {})
    {
        on(name, directCode, output);
        m_functions +=
            name + QStringLiteral("() { ") +
            (output.isEmpty() ? QString() : "printf '%s\\n' " + shellQuote(output) + "; ") +
            QStringLiteral("return %1; }\n").arg(promptCode);
        return *this;
    }

    ShellResult run(const QString &command, double timeoutSeconds) override
    {
        static const QRegularExpression prompt(
            QStringLiteral(
                R"re(^osascript -e 'do shell script "(.*)" with administrator privileges'$)re"),
            QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch match = prompt.match(command);
        if (match.hasMatch()) {
            const ShellResult answer = answerPrompt(match.captured(1));
            on(command, answer.code, answer.output);
        }
        return ScriptedRunner::run(command, timeoutSeconds);
    }

private:
    ShellResult answerPrompt(QString literal) const
    {
        if (cancel)
            return {1, QStringLiteral("0:56: execution error: User canceled. (-128)\n")};
        literal.replace(QStringLiteral("'\\''"), QStringLiteral("'"));
        literal.replace(QRegularExpression(QStringLiteral(R"(\\(.))")), QStringLiteral("\\1"));
        const ShellResult run =
            ProcessRunner().run("/bin/sh -c " + shellQuote(m_functions + literal), 60);
        if (run.code != 0)
            return {1, QStringLiteral("0:99: execution error: (%1)\n").arg(run.code)};
        QString output = run.output;
        output.chop(output.endsWith('\n') ? 1 : 0);
        return {0, output.replace('\n', '\r') + '\n'};
    }

    QString m_functions = QStringLiteral("networksetup() { :; }\n");
};

// The commands run, each password prompt written as "prompt".
QStringList ran(const ScriptedRunner &runner)
{
    QStringList commands = runner.commands();
    for (QString &command : commands) {
        if (command.startsWith(QLatin1String("osascript")))
            command = QStringLiteral("prompt");
    }
    return commands;
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
    void applyAllCancelledPrompt();
    void applyAllEmptyAdminRepairAddsNoPrompt();
};

void TestFixEngine::formatLogDecisions_data()
{
    QTest::addColumn<bool>("withAction");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("expected");

    const QString cancelled = kCancelled;
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
    QTest::addColumn<int>("adminCode");  // the same inside the password prompt
    QTest::addColumn<QStringList>("expectedCommands");
    QTest::addColumn<bool>("expectedOk");
    QTest::addColumn<QString>("expectedLog");

    const QStringList three{"c1", "c2", "c3"};
    const QString done = QStringLiteral("✅ 修复成功：提示-fix-x\nout1\nout3");
    const QString c1Failed = QStringLiteral("）\n失败的命令：c1\nout1");

    QTest::newRow("direct success joins outputs")
        << false << false << 0 << 0 << three << true << done;
    QTest::newRow("first of three fails, nothing after it runs")
        << false << false << 7 << 0 << QStringList{"c1"} << false
        << "❌ 执行失败（退出码 7" + c1Failed;
    QTest::newRow("needsAdmin never runs directly")
        << true << false << 0 << 0 << QStringList{"prompt"} << true << done;
    QTest::newRow("needsAdmin: a failing first command fails it, the rest still run")
        << true << false << 0 << 5 << QStringList{"prompt"} << false
        << "❌ 执行失败（退出码 5" + c1Failed + "\nout3";
    QTest::newRow("needsAdmin wins over fallback")
        << true << true << 0 << 0 << QStringList{"prompt"} << true << done;
    QTest::newRow("fallback after direct failure succeeds with note")
        << false << true << 7 << 0 << QStringList{"c1", "prompt"} << true
        << u"✅ 修复成功：提示-fix-x\n（免密码方式未生效，已通过管理员权限完成）\nout1\nout3"_s;
    QTest::newRow("fallback failing shows only the admin run")
        << false << true << 7 << 2 << QStringList{"c1", "prompt"} << false
        << "❌ 执行失败（退出码 2" + c1Failed + "\nout3";
    QTest::newRow("fallback not needed when direct run succeeds")
        << false << true << 0 << 0 << three << true << done;
}

void TestFixEngine::applyPaths()
{
    QFETCH(bool, needsAdmin);
    QFETCH(bool, fallbackAdmin);
    QFETCH(int, directCode);
    QFETCH(int, adminCode);

    auto runner = std::make_shared<PromptRunner>();
    runner->command("c1", directCode, adminCode, "out1")
        .command("c2", 0, 0)
        .command("c3", 0, 0, "out3");
    ScopedRunner scope(runner);

    const FixResult result = FixEngine::apply(
        action(QStringLiteral("fix-x"), {"c1", "c2", "c3"}, needsAdmin, fallbackAdmin));
    QTEST(ran(*runner), "expectedCommands");
    QTEST(result.ok, "expectedOk");
    QTEST(result.log, "expectedLog");
    // The password prompt may wait for the user far longer than a command.
    for (const ScriptedRunner::Call &call : runner->calls())
        QCOMPARE(call.timeout, call.command.startsWith(QLatin1String("osascript")) ? 300.0 : 25.0);
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestFixEngine::settingsAreReadBack_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("fallbackAdmin");
    QTest::addColumn<QStringList>("readBack"); // what the query shows, in turn
    QTest::addColumn<QStringList>("expectedCommands");
    QTest::addColumn<QString>("expectedLog");

    const QString proxyOff = QStringLiteral("networksetup -setwebproxystate 'Wi-Fi' off");
    const QString proxyQuery = QStringLiteral("networksetup -getwebproxy 'Wi-Fi'");
    const QString dns =
        QStringLiteral("networksetup -setdnsservers 'Wi-Fi' 223.5.5.5 119.29.29.29");
    const QString dnsQuery = QStringLiteral("networksetup -getdnsservers 'Wi-Fi'");
    const QString on = QStringLiteral("Enabled: Yes\nServer: 127.0.0.1\nPort: 7890\n");
    const QString off = QStringLiteral("Enabled: No\nServer: 127.0.0.1\nPort: 7890\n");

    QTest::newRow("proxy reads back off")
        << proxyOff << false << QStringList{off} << QStringList{proxyOff, proxyQuery}
        << u"✅ 修复成功：提示-fix-r"_s;
    QTest::newRow("proxy still on although the command exited 0")
        << proxyOff << false << QStringList{on} << QStringList{proxyOff, proxyQuery}
        << u"❌ 修复未生效：命令已执行，但设置没有改变\n复查 networksetup -getwebproxy "
           "'Wi-Fi'：Enabled: Yes / Server: 127.0.0.1 / Port: 7890"_s;
    QTest::newRow("DNS servers read back")
        << dns << false << QStringList{"223.5.5.5\n119.29.29.29\n"} << QStringList{dns, dnsQuery}
        << u"✅ 修复成功：提示-fix-r"_s;
    QTest::newRow("DNS servers did not take")
        << dns << false << QStringList{"There aren't any DNS Servers set on Wi-Fi.\n"}
        << QStringList{dns, dnsQuery}
        << u"❌ 修复未生效：命令已执行，但设置没有改变\n复查 networksetup -getdnsservers "
           "'Wi-Fi'：There aren't any DNS Servers set on Wi-Fi."_s;
    QTest::newRow("unconfirmed direct run falls back to the prompt")
        << proxyOff << true << QStringList{on, off}
        << QStringList{proxyOff, proxyQuery, "prompt", proxyQuery}
        << u"✅ 修复成功：提示-fix-r\n（免密码方式未生效，已通过管理员权限完成）"_s;
}

void TestFixEngine::settingsAreReadBack()
{
    QFETCH(QString, command);
    QFETCH(bool, fallbackAdmin);
    QFETCH(QStringList, readBack);

    auto runner = std::make_shared<PromptRunner>();
    runner->on(command, 0);
    const QString query = QString(command)
                              .replace("-setwebproxystate", "-getwebproxy")
                              .replace("-setdnsservers", "-getdnsservers")
                              .section(QLatin1Char(' '), 0, 2);
    for (const QString &answer : readBack)
        runner->on(query, 0, answer);
    ScopedRunner scope(runner);

    const FixResult result =
        FixEngine::apply(action(QStringLiteral("fix-r"), {command}, false, fallbackAdmin));
    QTEST(ran(*runner), "expectedCommands");
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
    // one prompt runs them all, and each finding ends with the outcome of its own commands,
    // the fallback repair failing there too. A finding without a repair is passed over.
    auto runner = std::make_shared<PromptRunner>();
    runner->command("a1", 0, 0, "root-a")
        .command("a2", 0, 0)
        .command("f1", 1, 1, "** Error: Command requires admin privileges.")
        .command("f2", 0, 0)
        .command("d1", 0, 0)
        .command("b1", 0, 0, "root-b");
    ScopedRunner scope(runner);
    QStringList progress;
    const auto logs =
        FixEngine::applyAll({finding("A", action("fix-a", {"a1", "a2"}, true)),
                             finding("F", action("fix-f", {"f1", "f2"}, false, true)),
                             finding("D", action("fix-d", {"d1"})), finding("none", std::nullopt),
                             finding("B", action("fix-b", {"b1"}, true))},
                            [&progress](const QString &text) { progress << text; });

    QCOMPARE(ran(*runner), (QStringList{"f1", "d1", "prompt"}));
    QCOMPARE(progress,
             (QStringList{"准备修复：标题-A", "正在修复：标题-F", "正在修复：标题-D",
                          "准备修复：标题-B", "正在执行需要管理员权限的修复（1/1 授权）…"}));
    QCOMPARE(logs.value("A"), QStringLiteral("✅ 修复成功\nroot-a"));
    QCOMPARE(logs.value("F"), QStringLiteral("❌ 批量修复失败：\n❌ 执行失败（退出码 1）\n"
                                             "失败的命令：f1\n** Error: Command requires admin "
                                             "privileges."));
    QCOMPARE(logs.value("B"), QStringLiteral("✅ 修复成功\nroot-b"));
    QCOMPARE(logs.value("D"), QStringLiteral("✅ 修复成功：提示-fix-d"));
    QVERIFY(!logs.contains("none"));
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestFixEngine::applyAllCancelledPrompt()
{
    auto runner = std::make_shared<PromptRunner>();
    runner->command("d1", 0, 0, "fine").command("a1", 0, 0).command("b1", 0, 0);
    runner->cancel = true;
    ScopedRunner scope(runner);
    const auto logs = FixEngine::applyAll({finding("A", action("fix-a", {"a1"}, true)),
                                           finding("D", action("fix-d", {"d1"})),
                                           finding("B", action("fix-b", {"b1"}, true))},
                                          {});

    QCOMPARE(logs.value("A"), QStringLiteral("❌ 批量修复失败：\n") + kCancelled);
    QCOMPARE(logs.value("B"), QStringLiteral("❌ 批量修复失败：\n") + kCancelled);
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
