#include "exec/runner.h"
#include "exec/shell.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace brevik;

Q_DECLARE_METATYPE(ProcessEnd)

namespace {

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
                   .size());
}

// A grandchild orphaned by the deadline is reaped by init; this waits for that, not for time.
bool processGone(pid_t pid)
{
    for (int i = 0; i < 100; ++i) {
        if (kill(pid, 0) != 0 && errno == ESRCH)
            return true;
        QTest::qWait(50);
    }
    return false;
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT

private slots:
    void howCommandsEnd_data();
    void howCommandsEnd();
    void outputKeptUpToTheLimit_data();
    void outputKeptUpToTheLimit();
    void childEnvironmentIsFixed();
    void noChildOrDescriptorLeftBehind();
    void valuesStayOneWord_data();
    void valuesStayOneWord();
};

void TestShell::howCommandsEnd_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("lenient"); // shellText rather than shell
    QTest::addColumn<ProcessEnd>("end");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("output"); // "PID": a grandchild's pid that must be gone
    using E = ProcessEnd;
    QTest::newRow("exit code passed through") << "exit 7" << false << E::exited << 7 << "";
    QTest::newRow("exit 15 is no time-out") << "exit 15" << false << E::exited << 15 << "";
    QTest::newRow("streams merged in write order, untrimmed")
        << "echo a; echo b >&2; printf '  c  \\n\\n'" << false << E::exited << 0
        << "a\nb\n  c  \n\n";
    QTest::newRow("utf-8 decoded") << "printf '系统代理'" << false << E::exited << 0 << "系统代理";
    QTest::newRow("more than a pipe holds")
        << "head -c 1000000 /dev/zero | tr '\\0' x | wc -c | tr -d ' '" << false << E::exited << 0
        << "1000000\n";
    QTest::newRow("undecodable: shell gives nothing")
        << "printf 'ok\\xff\\xfe\\0end'; exit 3" << false << E::exited << 3 << "";
    QTest::newRow("undecodable: shellText keeps the text")
        << "printf 'ok\\xff\\xfe\\0end'; exit 3" << true << E::exited << 3
        << QStringLiteral("ok\uFFFD\uFFFD") + QChar(0) + QStringLiteral("end");
    QTest::newRow("killed by a signal") << "kill -9 $$" << false << E::signalled << SIGKILL << "";
    QTest::newRow("deadline keeps the output so far")
        << "echo partial; sleep 30" << false << E::timedOut << SIGTERM << "partial\n";
    QTest::newRow("deadline: trapped TERM still ends by KILL")
        << "trap '' TERM; echo x; sleep 30" << false << E::timedOut << SIGKILL << "x\n";
    QTest::newRow("deadline: background grandchild holds the pipe")
        << "sleep 30 & echo $!; wait" << false << E::timedOut << SIGTERM << "PID";
    QTest::newRow("deadline: grandchild ignores SIGTERM")
        << "(trap '' TERM; sleep 30) & echo $!; wait" << false << E::timedOut << SIGTERM << "PID";
    QTest::newRow("bash exits, grandchild stays in the group")
        << "sleep 30 & echo $!" << false << E::timedOut << SIGTERM << "PID";
    // One argument longer than the kernel's per-string limit: exec refuses it (E2BIG).
    QTest::newRow("cannot start") << QString(300000, QLatin1Char('x')) << false << E::failedToStart
                                  << -1 << "无法启动命令: Argument list too long";
}

void TestShell::howCommandsEnd()
{
    QFETCH(QString, command);
    QFETCH(bool, lenient);
    QFETCH(QString, output);
    const ShellResult result = lenient ? shellText(command, 1.0) : shell(command, 1.0);
    QTEST(result.end, "end");
    if (output == QLatin1String("PID")) {
        bool ok = false;
        const pid_t grandchild = result.output.trimmed().toInt(&ok);
        QVERIFY2(ok, qPrintable(result.output));
        QVERIFY2(processGone(grandchild), "the grandchild outlived the deadline");
        return;
    }
    QTEST(result.code, "code");
    QCOMPARE(result.output, output);
}

void TestShell::outputKeptUpToTheLimit_data()
{
    const qsizetype limit = ProcessRunner::kOutputLimit;
    QTest::addColumn<QString>("command");
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<QString>("tail");
    QTest::newRow("one 100 MB line") << "head -c 100000000 /dev/zero | tr '\\0' x" << limit << "x";
    // 11 bytes a line: the last whole line ends before the limit.
    QTest::newRow("lines past the limit end at a whole line")
        << "yes 0123456789 | head -c 20000000" << limit - limit % 11 << "9\n";
    QTest::newRow("a character across the limit is left out")
        << QStringLiteral("head -c %1 /dev/zero | tr '\\0' x; printf '系统'").arg(limit - 1)
        << limit - 1 << "x";
    QTest::newRow("exactly the limit is kept whole, its last line too")
        << QStringLiteral("yes 0123456789 | head -c %1").arg(limit) << limit
        << QStringLiteral("0123456789").left(int(limit % 11));
}

void TestShell::outputKeptUpToTheLimit()
{
    QFETCH(QString, command);
    QFETCH(qsizetype, size);
    QFETCH(QString, tail);
    const ShellResult result = shell(command, 60);
    // The writer was drained to its end, not stopped by a full pipe or a signal.
    QVERIFY(result.succeeded());
    QCOMPARE(result.output.size(), size);
    QVERIFY(result.output.endsWith(tail));
}

void TestShell::childEnvironmentIsFixed()
{
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", "/nowhere:/usr/bin:/bin");
    qputenv("LC_ALL", "C");
    qputenv("BREVIK_PARENT_VALUE", "inherited");
    const ShellResult result =
        shell(QStringLiteral("echo \"$PATH|$LC_ALL|$BREVIK_PARENT_VALUE\""), 10);
    qputenv("PATH", oldPath);
    qunsetenv("BREVIK_PARENT_VALUE");
    QCOMPARE(result.output, QStringLiteral("/usr/sbin:/usr/bin:/sbin:/bin:/usr/local/bin:/opt/"
                                           "homebrew/bin|en_US.UTF-8|inherited\n"));
}

void TestShell::noChildOrDescriptorLeftBehind()
{
    const int before = openDescriptors();
    for (int i = 0; i < 500; ++i)
        QCOMPARE(shell(QStringLiteral("echo %1").arg(i), 10).output, QStringLiteral("%1\n").arg(i));
    QCOMPARE(openDescriptors(), before);
    // No child of ours is left, running or zombie.
    QCOMPARE(waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
}

void TestShell::valuesStayOneWord_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("word"); // what shellWord makes of it; null: quoted somehow
    QTest::newRow("scoped ipv6 left bare") << "fe80::1%en0"
                                           << "fe80::1%en0";
    QTest::newRow("host name left bare") << "proxy-1.corp_lan.example"
                                         << "proxy-1.corp_lan.example";
    QTest::newRow("empty stays empty") << ""
                                       << "";
    QTest::newRow("blank quoted") << "USB 10/100/1000 LAN"
                                  << "'USB 10/100/1000 LAN'";
    QTest::newRow("single quote") << "it's"
                                  << "'it'\\''s'";
    QTest::newRow("semicolon") << "127.0.0.1; touch MARK" << QString();
    QTest::newRow("command substitution") << "$(touch MARK)" << QString();
    QTest::newRow("backticks") << "`touch MARK`" << QString();
    QTest::newRow("quote breaks out") << "a' ; touch MARK ; echo '" << QString();
    QTest::newRow("newline") << "en0\ntouch MARK" << QString();
}

void TestShell::valuesStayOneWord()
{
    QFETCH(QString, value);
    QFETCH(QString, word);
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("MARK"));
    const QString text = QString(value).replace(QStringLiteral("MARK"), marker);
    if (!word.isNull())
        QCOMPARE(shellWord(text), word);
    // The shell reads it back as exactly one word holding the text, and runs nothing in it.
    const ShellResult result =
        shell(QStringLiteral("printf '%s|' ") + shellWord(text) + QStringLiteral("; echo $#"), 10);
    QCOMPARE(result.output, text + QStringLiteral("|0\n"));
    QVERIFY2(!QFile::exists(marker), "an injected command ran");
}

QTEST_GUILESS_MAIN(TestShell)
#include "tst_shell.moc"
