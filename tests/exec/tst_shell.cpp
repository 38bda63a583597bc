#include "exec/runner.h"
#include "exec/shell.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
                   .size());
}

bool processGone(pid_t pid)
{
    // The orphaned grandchild is reaped by init; give that a moment.
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
    void outputAndCode_data();
    void outputAndCode();
    void largeOutputDoesNotBlock();
    void undecodableOutput_data();
    void undecodableOutput();
    void outputKeptUpToTheLimit_data();
    void outputKeptUpToTheLimit();
    void childEnvironmentIsFixed();
    void startFailureIsAValue();
    void deadlineEndsCommand_data();
    void deadlineEndsCommand();
    void defaultLimitIs25Seconds();
    void noChildOrDescriptorLeftBehind();
    void shellQuoteMakesOneWord_data();
    void shellQuoteMakesOneWord();
    void shellWordKeepsSafeValues_data();
    void shellWordKeepsSafeValues();
    void hostileValuesNeverRun_data();
    void hostileValuesNeverRun();
    void adminCommandLineEscapesForAppleScript();
};

void TestShell::outputAndCode_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("output");
    QTest::newRow("exit code passed through") << "exit 7" << 7 << "";
    QTest::newRow("streams merged in write order, untrimmed")
        << "echo a; echo b >&2; printf '  c  \\n\\n'" << 0 << "a\nb\n  c  \n\n";
    QTest::newRow("utf-8 decoded") << "printf '系统代理'" << 0 << "系统代理";
}

void TestShell::outputAndCode()
{
    QFETCH(QString, command);
    QFETCH(int, code);
    QFETCH(QString, output);
    const ShellResult result = shell(command, 10);
    QCOMPARE(result.code, code);
    QCOMPARE(result.output, output);
}

void TestShell::largeOutputDoesNotBlock()
{
    // Far more than a pipe buffer (64 KiB): the child would block if nobody drained it.
    const ShellResult result = shell(QStringLiteral("head -c 1000000 /dev/zero | tr '\\0' x"), 20);
    QCOMPARE(result.code, 0);
    QCOMPARE(result.output.size(), 1000000);
}

void TestShell::undecodableOutput_data()
{
    QTest::addColumn<bool>("asText");
    QTest::addColumn<QString>("output");
    QTest::newRow("shell: empty output") << false << "";
    // A NUL byte is text like any other.
    QTest::newRow("shellText: the text survives")
        << true << QStringLiteral("ok\uFFFD\uFFFD") + QChar(0) + QStringLiteral("end");
}

void TestShell::undecodableOutput()
{
    QFETCH(bool, asText);
    QFETCH(QString, output);
    const QString command = QStringLiteral("printf 'ok\\xff\\xfe\\0end'; exit 3");
    const ShellResult result = asText ? shellText(command, 10) : shell(command, 10);
    QCOMPARE(result.code, 3);
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
}

void TestShell::outputKeptUpToTheLimit()
{
    QFETCH(QString, command);
    QFETCH(qsizetype, size);
    QFETCH(QString, tail);
    const ShellResult result = shell(command, 60);
    // The writer was drained to its end, not stopped by a full pipe or a signal.
    QCOMPARE(result.code, 0);
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

void TestShell::startFailureIsAValue()
{
    // One argument longer than the kernel's per-string limit: exec refuses it (E2BIG).
    const ShellResult result = shell(QString(300000, QLatin1Char('x')), 10);
    QCOMPARE(result.code, -1);
    QVERIFY2(result.output.startsWith(QStringLiteral("无法启动命令: ")), qPrintable(result.output));
    QVERIFY(result.output.size() > QStringLiteral("无法启动命令: ").size());
}

void TestShell::deadlineEndsCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("output");
    QTest::newRow("output before the deadline is kept") << "echo partial; sleep 30"
                                                        << "partial\n";
    QTest::newRow("background grandchild holds the pipe") << "sleep 30 & echo $!; wait"
                                                          << "PID";
    QTest::newRow("grandchild ignores SIGTERM") << "(trap '' TERM; sleep 30) & echo $!; wait"
                                                << "PID";
    QTest::newRow("bash exits, grandchild stays") << "sleep 30 & echo $!"
                                                  << "PID";
}

void TestShell::deadlineEndsCommand()
{
    QFETCH(QString, command);
    QFETCH(QString, output);
    QElapsedTimer timer;
    timer.start();
    const ShellResult result = shell(command, 1.0);
    const qint64 elapsed = timer.elapsed();
    // The command would run 30 s; it must come back about a second after its limit.
    QVERIFY2(elapsed < 10000, qPrintable(QString::number(elapsed)));
    if (output == QLatin1String("PID")) {
        bool ok = false;
        const pid_t grandchild = result.output.trimmed().toInt(&ok);
        QVERIFY2(ok, qPrintable(result.output));
        QVERIFY2(processGone(grandchild), "the grandchild outlived the deadline");
    } else {
        QVERIFY(result.code != 0);
        QCOMPARE(result.output, output);
    }
}

void TestShell::defaultLimitIs25Seconds()
{
    QElapsedTimer timer;
    timer.start();
    const ShellResult result = shell(QStringLiteral("sleep 40"));
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(result.code, SIGTERM);
    QVERIFY2(elapsed >= 24000 && elapsed < 35000, qPrintable(QString::number(elapsed)));
}

void TestShell::noChildOrDescriptorLeftBehind()
{
    const int before = openDescriptors();
    for (int i = 0; i < 500; ++i) {
        const ShellResult result = shell(QStringLiteral("echo %1; echo e >&2").arg(i), 10);
        QCOMPARE(result.output, QStringLiteral("%1\ne\n").arg(i));
    }
    QCOMPARE(openDescriptors(), before);
    // No child of ours is left, running or zombie.
    QCOMPARE(waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
}

void TestShell::shellQuoteMakesOneWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("empty") << ""
                           << "''";
    QTest::newRow("single quote") << "it's"
                                  << "'it'\\''s'";
    QTest::newRow("blank") << "USB 10/100/1000 LAN"
                           << "'USB 10/100/1000 LAN'";
}

void TestShell::shellQuoteMakesOneWord()
{
    QFETCH(QString, text);
    QFETCH(QString, quoted);
    QCOMPARE(shellQuote(text), quoted);
    // The shell reads it back as exactly one word holding the text.
    const ShellResult result =
        shell(QStringLiteral("printf '%s|' ") + shellQuote(text) + QStringLiteral("; echo $#"), 10);
    QCOMPARE(result.output, text + QStringLiteral("|0\n"));
}

void TestShell::shellWordKeepsSafeValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("scoped ipv6") << "fe80::1%en0";
    QTest::newRow("host name") << "proxy-1.corp_lan.example";
    QTest::newRow("empty") << "";
}

void TestShell::shellWordKeepsSafeValues()
{
    QFETCH(QString, value);
    QCOMPARE(shellWord(value), value);
}

void TestShell::hostileValuesNeverRun_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("semicolon") << "127.0.0.1; touch MARK";
    QTest::newRow("command substitution") << "$(touch MARK)";
    QTest::newRow("backticks") << "`touch MARK`";
    QTest::newRow("quote breaks out") << "a' ; touch MARK ; echo '";
    QTest::newRow("newline") << "en0\ntouch MARK";
}

void TestShell::hostileValuesNeverRun()
{
    QFETCH(QString, value);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString marker = dir.filePath(QStringLiteral("MARK"));
    const QString hostile = QString(value).replace(QStringLiteral("MARK"), marker);
    QVERIFY(shellWord(hostile) != hostile);
    const ShellResult result = shell(QStringLiteral("printf '%s' ") + shellWord(hostile), 10);
    QCOMPARE(result.output, hostile);
    QVERIFY2(!QFile::exists(marker), "an injected command ran");
}

void TestShell::adminCommandLineEscapesForAppleScript()
{
    const QString line =
        adminCommandLine({QStringLiteral("echo \"a\\b\""), QStringLiteral("echo it's")});
    QCOMPARE(line,
             QStringLiteral("osascript -e 'do shell script \"echo \\\"a\\\\b\\\"; echo it'\\''s\" "
                            "with administrator privileges'"));
}

QTEST_GUILESS_MAIN(TestShell)
#include "tst_shell.moc"
