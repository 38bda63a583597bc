// Repairs run on the simulated Mac change the simulated Mac only: the real /etc/hosts and the
// real home folder stay as they were, and sed refuses files outside the simulation.

#include "diagnostics/endpoints.h"
#include "exec/runner.h"
#include "exec/shell.h"
#include "model/netconfig.h"
#include "sim/simulatedmac.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Snapshot {
    bool exists = false;
    QByteArray content;
    QDateTime modified;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(const QString &path)
{
    Snapshot s;
    QFile file(path);
    s.exists = file.exists();
    if (file.open(QIODevice::ReadOnly))
        s.content = file.readAll();
    s.modified = QFileInfo(path).lastModified();
    return s;
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The hosts repair exactly as the hosts check builds it.
QStringList hostsRepair()
{
    QStringList domains;
    for (QString domain : Endpoints::kWatchedDomains)
        domains << domain.replace(".", "[.]");
    return {"cp /etc/hosts /etc/hosts.brevik.bak",
            "sed -i '' -E 's/^[[:space:]]*[^#].*(" + domains.join('|') + ")/# &/' /etc/hosts",
            "dscacheutil -flushcache", "killall -HUP mDNSResponder"};
}

const QStringList kRealFiles{"/etc/hosts", "/etc/hosts.brevik.bak"};
const QStringList kShellFiles{
    ".zshrc",           ".zprofile", ".bash_profile", ".bashrc", ".config/fish/config.fish",
    ".zshrc.brevik.bak"};

} // namespace

class TestSimSafety : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void repairsTouchOnlyTheSimulatedMac();
    void sedRefusesFilesOutsideTheSimulation();

private:
    QMap<QString, Snapshot> realFiles() const;

    QTemporaryDir m_root;
    QString m_realHome;
};

void TestSimSafety::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", QFile::encodeName(m_root.path()));
    m_realHome = QDir::homePath();
}

QMap<QString, Snapshot> TestSimSafety::realFiles() const
{
    QMap<QString, Snapshot> files;
    for (const QString &path : kRealFiles)
        files.insert(path, snapshot(path));
    for (const QString &name : kShellFiles)
        files.insert(m_realHome + '/' + name, snapshot(m_realHome + '/' + name));
    return files;
}

void TestSimSafety::repairsTouchOnlyTheSimulatedMac()
{
    const QMap<QString, Snapshot> before = realFiles();
    const QByteArray homeBefore = qgetenv("HOME");
    const std::shared_ptr<Runner> runnerBefore = currentRunner();
    QString error;

    const std::optional<SimulatedMac> hijacked = SimulatedMac::open("hosts-hijack", true, &error);
    QVERIFY2(hijacked, qPrintable(error));
    {
        ScopedRunner scope(hijacked->makeRunner());
        const ShellResult result = runAsAdmin(hostsRepair());
        QVERIFY2(result.code == 0, qPrintable(result.output));
    }
    QVERIFY(read(hijacked->hostsFile()).contains("\n# 104.18.7.192 api.openai.com\n"));

    const std::optional<SimulatedMac> stale = SimulatedMac::open("stale-shell-proxy", true, &error);
    QVERIFY2(stale, qPrintable(error));
    stale->activate();
    QCOMPARE(QDir::homePath(), stale->home());
    const QString zshrc = shellQuote(QDir::homePath() + "/.zshrc");
    QCOMPARE(shell("cp " + zshrc + " " + shellQuote(QDir::homePath() + "/.zshrc.brevik.bak")).code,
             0);
    QCOMPARE(shell("sed -i '' -E 's/^(export https_proxy=)/# \\1/' " + zshrc).code, 0);
    QCOMPARE(shell("grep -c '^# export https_proxy' ~/.zshrc").output.trimmed(), QString("1"));
    for (const QString &command : NetConfig::disableProxyCommands("Wi-Fi"))
        QCOMPARE(shell(command).code, 0);

    installRunner(runnerBefore);
    qputenv("HOME", homeBefore);
    QCOMPARE(realFiles(), before);
}

void TestSimSafety::sedRefusesFilesOutsideTheSimulation()
{
    QString error;
    const std::optional<SimulatedMac> mac = SimulatedMac::open("healthy", true, &error);
    QVERIFY2(mac, qPrintable(error));
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath("hosts");
    QFile file(outside);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1.2.3.4 api.openai.com\n");
    file.close();
    // A link inside the folder that leads out of it is judged by where it leads.
    QVERIFY(QFile::link(outside, mac->home() + "/hosts-link"));

    ScopedRunner scope(mac->makeRunner());
    for (const QString &target : {outside, mac->home() + "/hosts-link"}) {
        const ShellResult result = runAsAdmin({"sed -i '' -E 's/^1/# 1/' " + shellQuote(target)});
        QVERIFY(result.code != 0);
        QVERIFY2(result.output.contains("edits no file outside"), qPrintable(result.output));
    }
    QCOMPARE(read(outside), QByteArray("1.2.3.4 api.openai.com\n"));

    // The simulated /etc/hosts belongs to root: without the password prompt sed cannot edit it.
    const ShellResult unprivileged = shell("sed -i '' -E 's/^127/# 127/' /etc/hosts");
    QVERIFY(unprivileged.code != 0);
    QVERIFY(!read(mac->hostsFile()).contains("# 127"));
    // Plain sed in a pipeline is the machine's own sed.
    QCOMPARE(shell("printf 'a:7890\\n' | sed -E 's/.*:([0-9]+)$/\\1/'").output, QString("7890\n"));
}

QTEST_GUILESS_MAIN(TestSimSafety)
#include "tst_simsafety.moc"
