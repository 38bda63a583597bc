#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/fileedit.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/support/scriptedrunner.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

using FileOutputs = QMap<QString, QString>; // start-up file as listed → grep output

const QString kHostsGrep = QStringLiteral("grep -av '^#' /etc/hosts 2>/dev/null | grep -av '^$' | "
                                          "grep -aEv 'localhost|broadcasthost|^::1'");
const QStringList kStartupFiles{"~/.zshrc", "~/.zprofile", "~/.bash_profile", "~/.bashrc",
                                "~/.config/fish/config.fish"};

const QString kAssignment = QStringLiteral(
    "^[[:space:]]*((https?_proxy|all_proxy)=|[^#[:space:]].*(https?_proxy|all_proxy)=)");

QString proxyLinesGrep(const QString &file)
{
    return "LC_ALL=C grep -a -inE '" + kAssignment + "' " + file +
           " 2>/dev/null | head -3 | LC_ALL=C tr -c '\\11\\12\\40-\\176' '?'";
}

// "~" stands for the home directory inside single quotes, as the check quotes full paths.
QString quotedHomePath(const QString &file)
{
    QString home = QDir::homePath();
    home.replace(QLatin1String("'"), QLatin1String("'\\''"));
    return QLatin1Char('\'') + QString(file).replace(QLatin1Char('~'), home) + QLatin1Char('\'');
}

// Backs up `file` and comments out the given lines, each only while it holds an assignment.
QString repairCommand(const QString &file, const QList<int> &lines)
{
    QStringList expressions;
    for (const int line : lines)
        expressions << QString::number(line) + "s/(" + kAssignment + ")/# \\1/I";
    return FileEdit::backupThenSed(quotedHomePath(file), expressions);
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
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("AI API host pinned to a public address")
        << u"104.18.32.7\tapi.anthropic.com"_s << u"hosts-hijack/warn"_s
        << QStringList{"104.18.32.7\tapi.anthropic.com"};
    QTest::newRow("search engine on loopback is only custom")
        << u"127.0.0.1 www.bing.com"_s << u"hosts-custom/info"_s
        << QStringList{"127.0.0.1 www.bing.com"};
    QTest::newRow("second column on loopback")
        << u"10.0.0.1 127.0.0.2 www.google.com"_s << u"hosts-hijack/warn"_s
        << QStringList{"10.0.0.1 127.0.0.2 www.google.com"};
    QTest::newRow("Claude web app alone is not watched")
        << u"1.2.3.4 claude.ai"_s << u"hosts-ok/ok"_s << QStringList{};
    QTest::newRow("indented comment is judged after trimming")
        << u"   # 0.0.0.0 www.google.com  "_s << u"hosts-hijack/warn"_s
        << QStringList{"# 0.0.0.0 www.google.com"};
    QTest::newRow("hijack lists only the suspicious lines")
        << u"127.0.0.1 www.bing.com\n0.0.0.0 www.apple.com\n192.168.1.5 nas.lan\n"_s
        << u"hosts-hijack/warn"_s << QStringList{"0.0.0.0 www.apple.com"};
    QTest::newRow("custom lines in file order")
        << u"127.0.0.1 www.bing.com\n\n10.0.0.5 mail.qq.com\n"_s << u"hosts-custom/info"_s
        << QStringList{"127.0.0.1 www.bing.com", "10.0.0.5 mail.qq.com"};
}

void TestCheckHosts::hostsEntries()
{
    QFETCH(QString, hosts);
    QFETCH(QStringList, listed);

    auto runner = scriptedMachine(hosts, {});
    ScopedRunner scope(runner);
    const QList<Finding> findings = runCheck();
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->commands().first(), kHostsGrep);

    QCOMPARE(findings.size(), 2);
    QTEST(outline(findings).first(), "finding");
    const Finding &f = findings.first();
    QCOMPARE(f.category, CheckCategory::system);
    VERIFY_SHOWN(f, (listed.isEmpty() ? QString() : QStringLiteral("：\n") + listed.join('\n')));
    if (f.id != QLatin1String("hosts-hijack")) {
        QVERIFY(!f.hasFix());
        return;
    }
    // Every active line naming a watched domain is commented out, custom ones included.
    QCOMPARE(fixShape(f), QStringLiteral("fix-hosts admin"));
    QCOMPARE(fixCommands(f),
             (QStringList{
                 FileEdit::backupThenSed(
                     "/etc/hosts",
                     {"s/^[[:space:]]*[^#].*(apple[.]com|icloud[.]com|google[.]com|bing[.]com|"
                      "qq[.]com|alipay[.]com|taobao[.]com|anthropic[.]com|openai[.]com|"
                      "deepseek[.]com|bigmodel[.]cn)/# &/"}),
                 "dscacheutil -flushcache",
                 "killall -HUP mDNSResponder",
             }));
}

void TestCheckHosts::shellProxyVariables_data()
{
    QTest::addColumn<FileOutputs>("proxyLines");
    QTest::addColumn<QStringList>("listening");
    QTest::addColumn<QString>("detail"); // null: "shell-proxy-ok"
    QTest::addColumn<QStringList>("commands");

    const QString zshrcLine = QStringLiteral("12:export https_proxy=http://127.0.0.1:7890");
    QTest::newRow("zshrc exports a dead port")
        << FileOutputs{{"~/.zshrc", zshrcLine + "\n"}} << QStringList{"7897"}
        << kStaleHeader + "7890" + kStaleMiddle + "~/.zshrc → " + zshrcLine
        << QStringList{repairCommand("~/.zshrc", {12})};
    QTest::newRow("same line while the port listens")
        << FileOutputs{{"~/.zshrc", zshrcLine}} << QStringList{"7890"} << QString()
        << QStringList{};
    QTest::newRow("proxy URL without a port")
        << FileOutputs{{"~/.bashrc", "3:export http_proxy=http://proxy.corp.example"}}
        << QStringList{} << QString() << QStringList{};
    QTest::newRow("first port on the line decides")
        << FileOutputs{{"~/.zprofile", "7:export all_proxy=socks5://127.0.0.1:1080 "
                                       "http_proxy=http://127.0.0.1:7890"}}
        << QStringList{"1080"} << QString() << QStringList{};
    // Only the stale lines are commented out; a live one in the same or another file stays.
    QTest::newRow("three files, two dead ports, capitals and a live line")
        << FileOutputs{{"~/.zshrc", zshrcLine + "\n13:export http_proxy=http://127.0.0.1:7897"},
                       {"~/.bashrc", "4:export ALL_PROXY=socks5://127.0.0.1:7890"},
                       {"~/.bash_profile", "2:export HTTPS_PROXY=http://127.0.0.1:1080"}}
        << QStringList{"7897"}
        << kStaleHeader + "7890, 1080" + kStaleMiddle + "~/.zshrc → " + zshrcLine +
               "\n~/.bash_profile → 2:export HTTPS_PROXY=http://127.0.0.1:1080" +
               "\n~/.bashrc → 4:export ALL_PROXY=socks5://127.0.0.1:7890"
        << QStringList{repairCommand("~/.zshrc", {12}), repairCommand("~/.bash_profile", {2}),
                       repairCommand("~/.bashrc", {4})};
    const QString longLine = QStringLiteral("9:export https_proxy=http://127.0.0.1:7890 # ") +
                             QString(60, QLatin1Char('x'));
    QTest::newRow("long line cut at 80 characters")
        << FileOutputs{{"~/.zshrc", longLine}} << QStringList{}
        << kStaleHeader + "7890" + kStaleMiddle + "~/.zshrc → " + longLine.left(80)
        << QStringList{repairCommand("~/.zshrc", {9})};
}

void TestCheckHosts::shellProxyVariables()
{
    QFETCH(FileOutputs, proxyLines);
    QFETCH(QStringList, listening);
    QFETCH(QString, detail);
    QFETCH(QStringList, commands);

    auto runner = scriptedMachine(QString(), proxyLines);
    ScopedRunner scope(runner);
    NetContext ctx;
    ctx.clashPorts = listening;
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->commands().mid(1),
             (QStringList{proxyLinesGrep("~/.zshrc"), proxyLinesGrep("~/.zprofile"),
                          proxyLinesGrep("~/.bash_profile"), proxyLinesGrep("~/.bashrc"),
                          proxyLinesGrep("~/.config/fish/config.fish")}));

    QCOMPARE(outline(findings).first(), QStringLiteral("hosts-ok/ok"));
    const Finding &f = findings.at(1);
    if (detail.isNull()) {
        QCOMPARE(outline(findings).at(1), QStringLiteral("shell-proxy-ok/ok"));
        QVERIFY(!f.hasFix());
        return;
    }
    // Filed under proxy: the cause is a dead proxy port.
    QCOMPARE(outline(findings).at(1), QStringLiteral("shell-proxy-stale/warn"));
    QCOMPARE(f.category, CheckCategory::proxy);
    QCOMPARE(f.detail, detail);
    QCOMPARE(fixShape(f), QStringLiteral("fix-shell-proxy"));
    QCOMPARE(fixCommands(f), commands);
}

QTEST_GUILESS_MAIN(TestCheckHosts)
#include "tst_checkhosts.moc"
