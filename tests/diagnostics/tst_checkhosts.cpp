#include "diagnostics/diagnosticsrun.h"
#include "tests/support/scriptedrunner.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using FileOutputs = QMap<QString, QString>; // start-up file as listed → grep output

const QString kHostsGrep = QStringLiteral(
    "grep -v '^#' /etc/hosts 2>/dev/null | grep -v '^$' | grep -Ev 'localhost|broadcasthost|^::1'");
const QStringList kStartupFiles{"~/.zshrc", "~/.zprofile", "~/.bash_profile", "~/.bashrc",
                                "~/.config/fish/config.fish"};

QString proxyLinesGrep(const QString &file)
{
    return QStringLiteral("grep -inE '(https?_proxy|all_proxy)=' ") + file +
           QStringLiteral(" 2>/dev/null | head -3");
}

// "~" stands for the home directory inside single quotes, as the check quotes full paths.
QString quotedHomePath(const QString &file)
{
    QString home = QDir::homePath();
    home.replace(QLatin1String("'"), QLatin1String("'\\''"));
    return QLatin1Char('\'') + QString(file).replace(QLatin1Char('~'), home) + QLatin1Char('\'');
}

QString countGrep(const QString &file)
{
    return QStringLiteral("grep -cE '(https?_proxy|all_proxy)=' ") + quotedHomePath(file) +
           QStringLiteral(" 2>/dev/null");
}

QStringList repairCommands(const QString &file)
{
    const QString path = quotedHomePath(file);
    const QString backup = quotedHomePath(file + QStringLiteral(".brevik.bak"));
    return {
        QStringLiteral("cp ") + path + QLatin1Char(' ') + backup,
        QStringLiteral("sed -i '' -E 's/^([[:space:]]*(export[[:space:]]+)?(https?_proxy|all_proxy|"
                       "HTTPS?_PROXY|ALL_PROXY)=)/# \\1/I' ") +
            path};
}

// A runner that answers the hosts query and every start-up file query.
std::shared_ptr<ScriptedRunner> scriptedMachine(const QString &hosts, const FileOutputs &proxyLines)
{
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kHostsGrep, hosts.isEmpty() ? 1 : 0, hosts);
    for (const QString &file : kStartupFiles)
        runner->on(proxyLinesGrep(file), 0, proxyLines.value(file));
    return runner;
}

QList<Finding> runCheck(const NetContext &ctx = {})
{
    DiagnosticsRun run;
    run.ctx = ctx;
    return run.checkHosts();
}

const QString kStaleHeader = QStringLiteral("以下配置把代理写死在终端环境里，端口 ");
const QString kStaleMiddle =
    QStringLiteral(" 当前无人监听，会导致终端里的 AI CLI 工具（claude / codex 等）连不上：\n");

} // namespace

class TestCheckHosts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void hostsEntries_data();
    void hostsEntries();
    void hostsRepair();
    void shellProxyVariables_data();
    void shellProxyVariables();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QByteArray m_savedHome;
};

void TestCheckHosts::initTestCase()
{
    // The shell repair names files under the home directory; a blank and a quote in it
    // prove that the paths reach bash as single words.
    m_savedHome = qgetenv("HOME");
    m_home =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/brevik home's-XXXXXX"));
    QVERIFY(m_home->isValid());
    qputenv("HOME", m_home->path().toUtf8());
    QCOMPARE(QDir::homePath(), m_home->path());
}

void TestCheckHosts::cleanupTestCase()
{
    qputenv("HOME", m_savedHome);
}

void TestCheckHosts::hostsEntries_data()
{
    QTest::addColumn<QString>("hosts"); // what the filtering grep prints
    QTest::addColumn<QString>("id");
    QTest::addColumn<Severity>("severity");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("black hole for a platform domain")
        << "0.0.0.0 www.apple.com"
        << "hosts-hijack" << Severity::warn << QStringList{"0.0.0.0 www.apple.com"};
    QTest::newRow("AI API host pinned to a public address")
        << "104.18.32.7\tapi.anthropic.com"
        << "hosts-hijack" << Severity::warn << QStringList{"104.18.32.7\tapi.anthropic.com"};
    QTest::newRow("search engine on loopback is only custom")
        << "127.0.0.1 www.bing.com"
        << "hosts-custom" << Severity::info << QStringList{"127.0.0.1 www.bing.com"};
    QTest::newRow("second column on loopback")
        << "10.0.0.1 127.0.0.2 www.google.com"
        << "hosts-hijack" << Severity::warn << QStringList{"10.0.0.1 127.0.0.2 www.google.com"};
    QTest::newRow("Claude web app alone is not watched")
        << "1.2.3.4 claude.ai"
        << "hosts-ok" << Severity::ok << QStringList{};
    QTest::newRow("Claude web app on a watched line")
        << "1.2.3.4 www.google.com claude.ai"
        << "hosts-hijack" << Severity::warn << QStringList{"1.2.3.4 www.google.com claude.ai"};
    QTest::newRow("indented comment is judged after trimming")
        << "   # 0.0.0.0 www.google.com  "
        << "hosts-hijack" << Severity::warn << QStringList{"# 0.0.0.0 www.google.com"};
    QTest::newRow("hijack lists only the suspicious lines")
        << "127.0.0.1 www.bing.com\n0.0.0.0 api.openai.com\n192.168.1.5 nas.lan\n"
        << "hosts-hijack" << Severity::warn << QStringList{"0.0.0.0 api.openai.com"};
    QTest::newRow("custom lines in file order")
        << "127.0.0.1 www.bing.com\n\n10.0.0.5 mail.qq.com\n"
        << "hosts-custom" << Severity::info
        << QStringList{"127.0.0.1 www.bing.com", "10.0.0.5 mail.qq.com"};
    QTest::newRow("unrelated lines only") << "192.168.1.5 nas.lan"
                                          << "hosts-ok" << Severity::ok << QStringList{};
    QTest::newRow("empty or missing file") << ""
                                           << "hosts-ok" << Severity::ok << QStringList{};
}

void TestCheckHosts::hostsEntries()
{
    QFETCH(QString, hosts);
    QFETCH(QString, id);
    QFETCH(Severity, severity);
    QFETCH(QStringList, listed);

    auto runner = scriptedMachine(hosts, {});
    ScopedRunner scope(runner);
    const QList<Finding> findings = runCheck();
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->commands().first(), kHostsGrep);
    QCOMPARE(runner->calls().first().timeout, 25.0);

    QCOMPARE(findings.size(), 2);
    QCOMPARE(findings.at(1).id, QStringLiteral("shell-proxy-ok"));
    const Finding &finding = findings.first();
    QCOMPARE(finding.id, id);
    QCOMPARE(finding.severity, severity);
    QCOMPARE(finding.category, CheckCategory::system);
    QVERIFY(finding.manualSteps.isEmpty());
    const QString lines = listed.join(QLatin1Char('\n'));
    if (id == QLatin1String("hosts-hijack")) {
        QCOMPARE(finding.title, QStringLiteral("/etc/hosts 存在劫持 AI 域名或黑洞地址的条目"));
        QCOMPARE(finding.detail,
                 QStringLiteral(
                     "以下域名被本地 hosts 指向无效/固定地址，会导致网站或 AI 服务打不开：\n") +
                     lines);
        QVERIFY(finding.hasFix());
    } else if (id == QLatin1String("hosts-custom")) {
        QCOMPARE(finding.title, QStringLiteral("/etc/hosts 有自定义条目（通常无害）"));
        QCOMPARE(finding.detail,
                 QStringLiteral("未发现劫持 AI 域名或黑洞地址的条目。以下自定义映射供参考：\n") +
                     lines + QStringLiteral("\n\n提示：若某个网站打不开，可尝试注释对应条目。"));
        QVERIFY(!finding.fixHint);
        QVERIFY(!finding.hasFix());
    } else {
        QCOMPARE(finding.title, QStringLiteral("/etc/hosts 正常"));
        QCOMPARE(finding.detail, QStringLiteral("没有发现针对常见域名或 AI 域名的劫持条目"));
        QVERIFY(!finding.fixHint);
        QVERIFY(!finding.hasFix());
    }
}

void TestCheckHosts::hostsRepair()
{
    auto runner = scriptedMachine(QStringLiteral("0.0.0.0 www.apple.com"), {});
    ScopedRunner scope(runner);
    const Finding finding = runCheck().first();
    VERIFY_ALL_SCRIPTED(*runner);

    QCOMPARE(finding.fixHint, QStringLiteral("先备份 /etc/hosts，再自动注释掉可疑行（原文件保存为 "
                                             "/etc/hosts.brevik.bak）。"));
    QVERIFY(finding.hasFix());
    const FixAction &fix = *finding.fix;
    QCOMPARE(fix.id, QStringLiteral("fix-hosts"));
    QCOMPARE(fix.title, QStringLiteral("注释可疑条目（自动备份）"));
    // Every active line naming a watched domain is commented out, custom ones included.
    QCOMPARE(
        fix.commands,
        (QStringList{
            "cp /etc/hosts /etc/hosts.brevik.bak",
            "sed -i '' -E 's/^[[:space:]]*[^#].*(apple[.]com|icloud[.]com|google[.]com|bing[.]com|"
            "qq[.]com|alipay[.]com|taobao[.]com|anthropic[.]com|openai[.]com|deepseek[.]com|"
            "bigmodel[.]cn)/# &/' /etc/hosts",
            "dscacheutil -flushcache",
            "killall -HUP mDNSResponder",
        }));
    QVERIFY(fix.needsAdmin);
    QVERIFY(!fix.fallbackAdmin);
    QCOMPARE(fix.successHint,
             QStringLiteral("已注释可疑条目并刷新 DNS 缓存（备份：/etc/hosts.brevik.bak）"));
    QCOMPARE(fix.verifyHint, kDefaultVerifyHint);
}

void TestCheckHosts::shellProxyVariables_data()
{
    QTest::addColumn<FileOutputs>("proxyLines");
    QTest::addColumn<QStringList>("listening");
    QTest::addColumn<FileOutputs>("counts"); // counting grep's output; unlisted files: nothing
    QTest::addColumn<QString>("detail");     // null: "shell-proxy-ok"
    QTest::addColumn<QStringList>("commands");

    const QString zshrcLine = QStringLiteral("12:export https_proxy=http://127.0.0.1:7890");
    QTest::newRow("zshrc exports a dead port")
        << FileOutputs{{"~/.zshrc", zshrcLine + "\n"}} << QStringList{"7897"}
        << FileOutputs{{"~/.zshrc", "1\n"}}
        << kStaleHeader + "7890" + kStaleMiddle + "~/.zshrc → " + zshrcLine
        << repairCommands("~/.zshrc");
    QTest::newRow("same line while the port listens")
        << FileOutputs{{"~/.zshrc", zshrcLine}} << QStringList{"7890"} << FileOutputs{} << QString()
        << QStringList{};
    QTest::newRow("proxy URL without a port")
        << FileOutputs{{"~/.bashrc", "3:export http_proxy=http://proxy.corp.example"}}
        << QStringList{} << FileOutputs{} << QString() << QStringList{};
    QTest::newRow("first port on the line decides")
        << FileOutputs{{"~/.zprofile", "7:export all_proxy=socks5://127.0.0.1:1080 "
                                       "http_proxy=http://127.0.0.1:7890"}}
        << QStringList{"1080"} << FileOutputs{} << QString() << QStringList{};
    QTest::newRow("two files, one dead port named once")
        << FileOutputs{{"~/.zshrc", zshrcLine},
                       {"~/.bashrc", "4:export ALL_PROXY=socks5://127.0.0.1:7890"}}
        << QStringList{} << FileOutputs{{"~/.zshrc", "1"}, {"~/.bashrc", "2"}}
        << kStaleHeader + "7890" + kStaleMiddle + "~/.zshrc → " + zshrcLine + "\n~/.bashrc → " +
               "4:export ALL_PROXY=socks5://127.0.0.1:7890"
        << repairCommands("~/.zshrc") + repairCommands("~/.bashrc");
    QTest::newRow("two dead ports in two files")
        << FileOutputs{{"~/.zshrc", zshrcLine},
                       {"~/.config/fish/config.fish",
                        "2:set -gx all_proxy socks5://127.0.0.1:1080"}}
        << QStringList{} << FileOutputs{{"~/.zshrc", "1"}, {"~/.config/fish/config.fish", "0"}}
        << kStaleHeader + "7890, 1080" + kStaleMiddle + "~/.zshrc → " + zshrcLine +
               "\n~/.config/fish/config.fish → 2:set -gx all_proxy socks5://127.0.0.1:1080"
        << repairCommands("~/.zshrc");
    // The counting grep is case-sensitive: capitals alone are reported but not repaired.
    QTest::newRow("capital letters only: reported without repair")
        << FileOutputs{{"~/.bash_profile", "5:export HTTPS_PROXY=http://127.0.0.1:7897"}}
        << QStringList{} << FileOutputs{{"~/.bash_profile", "0"}}
        << kStaleHeader + "7897" + kStaleMiddle +
               "~/.bash_profile → 5:export HTTPS_PROXY=http://127.0.0.1:7897"
        << QStringList{};
    QTest::newRow("unreadable count: no repair")
        << FileOutputs{{"~/.zshrc", zshrcLine}} << QStringList{} << FileOutputs{}
        << kStaleHeader + "7890" + kStaleMiddle + "~/.zshrc → " + zshrcLine << QStringList{};
    const QString longLine = QStringLiteral("9:export https_proxy=http://127.0.0.1:7890 # ") +
                             QString(60, QLatin1Char('x'));
    QTest::newRow("long line cut at 80 characters")
        << FileOutputs{{"~/.zshrc", longLine}} << QStringList{} << FileOutputs{{"~/.zshrc", "1"}}
        << kStaleHeader + "7890" + kStaleMiddle + "~/.zshrc → " + longLine.left(80)
        << repairCommands("~/.zshrc");
}

void TestCheckHosts::shellProxyVariables()
{
    QFETCH(FileOutputs, proxyLines);
    QFETCH(QStringList, listening);
    QFETCH(FileOutputs, counts);
    QFETCH(QString, detail);
    QFETCH(QStringList, commands);

    auto runner = scriptedMachine(QString(), proxyLines);
    // Only a stale finding counts assignments; for the others any count would be unscripted.
    if (!detail.isNull()) {
        for (const QString &file : kStartupFiles)
            runner->on(countGrep(file), counts.contains(file) ? 0 : 1, counts.value(file));
    }
    ScopedRunner scope(runner);
    NetContext ctx;
    ctx.clashPorts = listening;
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->commands().mid(1, 5),
             (QStringList{proxyLinesGrep("~/.zshrc"), proxyLinesGrep("~/.zprofile"),
                          proxyLinesGrep("~/.bash_profile"), proxyLinesGrep("~/.bashrc"),
                          proxyLinesGrep("~/.config/fish/config.fish")}));

    QCOMPARE(findings.size(), 2);
    QCOMPARE(findings.first().id, QStringLiteral("hosts-ok"));
    const Finding &finding = findings.at(1);
    if (detail.isNull()) {
        QCOMPARE(finding.id, QStringLiteral("shell-proxy-ok"));
        QCOMPARE(finding.title, QStringLiteral("终端代理环境变量正常"));
        QCOMPARE(finding.severity, Severity::ok);
        QCOMPARE(finding.category, CheckCategory::system);
        QCOMPARE(finding.detail, QStringLiteral("未发现指向失效端口的代理环境变量"));
        QVERIFY(!finding.fixHint);
        QVERIFY(!finding.hasFix());
        return;
    }
    QCOMPARE(finding.id, QStringLiteral("shell-proxy-stale"));
    QCOMPARE(finding.title, QStringLiteral("Shell 配置里的代理环境变量可能已失效"));
    QCOMPARE(finding.severity, Severity::warn);
    QCOMPARE(finding.category, CheckCategory::proxy);
    QCOMPARE(finding.detail, detail);
    QCOMPARE(finding.fixHint,
             QStringLiteral("自动注释这些行并备份原文件（.brevik.bak）。若你需要长期使用"
                            "代理，可改为手动在需要时 export。"));
    QVERIFY(finding.manualSteps.isEmpty());
    if (commands.isEmpty()) {
        QVERIFY(!finding.hasFix());
        return;
    }
    QVERIFY(finding.hasFix());
    QCOMPARE(finding.fix->id, QStringLiteral("fix-shell-proxy"));
    QCOMPARE(finding.fix->title, QStringLiteral("注释失效的代理变量（自动备份）"));
    QCOMPARE(finding.fix->commands, commands);
    QVERIFY(!finding.fix->needsAdmin);
    QVERIFY(!finding.fix->fallbackAdmin);
    QCOMPARE(finding.fix->successHint, QStringLiteral("已注释失效的代理环境变量（原文件已备份）"));
}

QTEST_GUILESS_MAIN(TestCheckHosts)
#include "tst_checkhosts.moc"
