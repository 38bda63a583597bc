#include "diagnostics/decisions.h"
#include "model/repairop.h"
#include "tests/diagnostics/findingcheck.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace brevik;

using namespace Qt::StringLiterals;

namespace {

using FileOutputs = QMap<QString, QString>; // start-up file as listed → file under tests/data

const QStringList kStartupFiles{"~/.zshrc", "~/.zprofile", "~/.bash_profile", "~/.bashrc",
                                "~/.config/fish/config.fish"};

HostsObservation observation(const QString &hostsFile, const FileOutputs &proxyLines)
{
    HostsObservation seen;
    if (!hostsFile.isEmpty())
        seen.hostsLines = testData("hosts/" + hostsFile);
    for (const QString &file : kStartupFiles) {
        const QString data = proxyLines.value(file);
        seen.proxyLines << (data.isEmpty() ? QString() : testData("shellproxy/" + data));
    }
    return seen;
}

// Backs up `file` (under the home folder, as one quoted word) and comments out the given
// lines, each only while it still holds a proxy assignment.
QString repairCommand(const QString &file, const QList<int> &lines)
{
    QStringList expressions;
    for (const int line : lines)
        expressions << QString::number(line) +
                           "s/(^[[:space:]]*((https?_proxy|all_proxy)=|[^#[:space:]].*(https?_"
                           "proxy|all_proxy)=))/# \\1/I";
    return renderCommand(RepairOps::EditFile{QString(file).replace(QLatin1Char('~'), QDir::homePath()),
                                             expressions});
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
}

void TestCheckHosts::cleanupTestCase()
{
    qputenv("HOME", m_savedHome);
}

void TestCheckHosts::hostsEntries_data()
{
    QTest::addColumn<QString>("hosts"); // what the filtering grep printed
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("AI API host pinned to a public address")
        << u"ai-pinned.txt"_s << u"hosts-hijack/warn fix-hosts admin"_s
        << QStringList{"104.18.32.7\tapi.anthropic.com"};
    QTest::newRow("second column on loopback")
        << u"second-column.txt"_s << u"hosts-hijack/warn fix-hosts admin"_s
        << QStringList{"10.0.0.1 127.0.0.2 www.google.com"};
    QTest::newRow("Claude web app alone is not watched")
        << u"claude-web.txt"_s << u"hosts-ok/ok -"_s << QStringList{};
    QTest::newRow("indented comment is judged after trimming")
        << u"indented-comment.txt"_s << u"hosts-hijack/warn fix-hosts admin"_s
        << QStringList{"# 0.0.0.0 www.google.com"};
    QTest::newRow("hijack lists only the suspicious lines")
        << u"mixed.txt"_s << u"hosts-hijack/warn fix-hosts admin"_s
        << QStringList{"0.0.0.0 www.apple.com"};
    QTest::newRow("custom lines in file order")
        << u"custom.txt"_s << u"hosts-custom/info -"_s
        << QStringList{"127.0.0.1 www.bing.com", "10.0.0.5 mail.qq.com"};
}

void TestCheckHosts::hostsEntries()
{
    QFETCH(QString, hosts);
    QFETCH(QStringList, listed);
    const QList<Finding> findings = decideHosts(NetContext{}, observation(hosts, {}));

    QCOMPARE(findings.size(), 2);
    QTEST(outline(findings).first(), "finding");
    QCOMPARE(findings.first().category, CheckCategory::system);
    VERIFY_SHOWN(findings.first(),
                 (listed.isEmpty() ? QString() : QStringLiteral("：\n") + listed.join('\n')));
}

void TestCheckHosts::shellProxyVariables_data()
{
    QTest::addColumn<FileOutputs>("proxyLines");
    QTest::addColumn<QStringList>("listening");
    QTest::addColumn<QString>("detail"); // null: "shell-proxy-ok"
    QTest::addColumn<QStringList>("commands");

    const QString zshrcLine = QStringLiteral("12:export https_proxy=http://127.0.0.1:7890");
    QTest::newRow("zshrc exports a dead port")
        << FileOutputs{{"~/.zshrc", "zshrc-7890.txt"}} << QStringList{"7897"}
        << kStaleHeader + "7890" + kStaleMiddle + "~/.zshrc → " + zshrcLine
        << QStringList{repairCommand("~/.zshrc", {12})};
    QTest::newRow("same line while the port listens")
        << FileOutputs{{"~/.zshrc", "zshrc-7890.txt"}} << QStringList{"7890"} << QString()
        << QStringList{};
    QTest::newRow("proxy URL without a port")
        << FileOutputs{{"~/.bashrc", "no-port.txt"}} << QStringList{} << QString() << QStringList{};
    QTest::newRow("first port on the line decides")
        << FileOutputs{{"~/.zprofile", "two-on-a-line.txt"}} << QStringList{"1080"} << QString()
        << QStringList{};
    // Only the stale lines are commented out; a live one in the same or another file stays.
    QTest::newRow("three files, two dead ports, capitals and a live line")
        << FileOutputs{{"~/.zshrc", "zshrc-two-ports.txt"},
                       {"~/.bashrc", "bashrc-capitals.txt"},
                       {"~/.bash_profile", "bash_profile-1080.txt"}}
        << QStringList{"7897"}
        << kStaleHeader + "7890, 1080" + kStaleMiddle + "~/.zshrc → " + zshrcLine +
               "\n~/.bash_profile → 2:export HTTPS_PROXY=http://127.0.0.1:1080" +
               "\n~/.bashrc → 4:export ALL_PROXY=socks5://127.0.0.1:7890"
        << QStringList{repairCommand("~/.zshrc", {12}), repairCommand("~/.bash_profile", {2}),
                       repairCommand("~/.bashrc", {4})};
    QTest::newRow("long line cut at 80 characters")
        << FileOutputs{{"~/.zshrc", "long-line.txt"}} << QStringList{}
        << kStaleHeader + "7890" + kStaleMiddle + "~/.zshrc → " +
               testData("shellproxy/long-line.txt").left(80)
        << QStringList{repairCommand("~/.zshrc", {9})};
}

void TestCheckHosts::shellProxyVariables()
{
    QFETCH(FileOutputs, proxyLines);
    QFETCH(QStringList, listening);
    QFETCH(QString, detail);
    QFETCH(QStringList, commands);
    NetContext ctx;
    ctx.clashPorts = listening;
    const QList<Finding> findings = decideHosts(ctx, observation(QString(), proxyLines));

    const Finding &f = findings.at(1);
    if (detail.isNull()) {
        QCOMPARE(outline(findings).at(1), QStringLiteral("shell-proxy-ok/ok -"));
        return;
    }
    // Filed under proxy: the cause is a dead proxy port.
    QCOMPARE(outline(findings).at(1), QStringLiteral("shell-proxy-stale/warn fix-shell-proxy"));
    QCOMPARE(f.category, CheckCategory::proxy);
    QCOMPARE(f.detail, detail);
    QCOMPARE(f.fix->commands(), commands);
}

QTEST_GUILESS_MAIN(TestCheckHosts)
#include "tst_checkhosts.moc"
