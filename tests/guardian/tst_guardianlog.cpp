#include "guardian/proxyguardian.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Lines of exactly `width` bytes including the newline: "line 0001 ....\n".
QByteArray numberedLines(int count, int width)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i) {
        QByteArray line = "line " + QByteArray::number(i).rightJustified(4, '0') + ' ';
        line = line.leftJustified(width - 1, '.') + '\n';
        bytes += line;
    }
    return bytes;
}

} // namespace

class TestGuardianLog : public QObject {
    Q_OBJECT
private slots:
    void firstEntryCreatesFolderAndFile();
    void cutBackPastSizeLimit_data();
    void cutBackPastSizeLimit();
    void tail_data();
    void tail();
    void unwritableLogIsNotReplaced();
    void writersAtOnceAllLand();
    void fullDiskLeavesNoHalfEntry();
};

void TestGuardianLog::firstEntryCreatesFolderAndFile()
{
    QTemporaryDir home;
    ProxyGuardian guardian(home.path());
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    guardian.appendLog(QStringLiteral("[后台守护] 已卸载"));
    guardian.appendLog(QStringLiteral("second"));

    const QString text = readAll(home.path() + "/Library/Logs/Brevik/guard.log");
    static const QRegularExpression entry(QStringLiteral(
        "^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d)  \\[后台守护\\] 已卸载\\n.{19}  second\\n$"));
    const QRegularExpressionMatch match = entry.match(text);
    QVERIFY2(match.hasMatch(), qPrintable(text));
    const QDateTime stamp =
        QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QVERIFY(stamp >= before.addSecs(-1) && stamp <= QDateTime::currentDateTime());
}

void TestGuardianLog::cutBackPastSizeLimit_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("expectedLines"); // including the new entry
    QTest::addColumn<QString>("expectedFirst");

    // 2,000 lines of 100 bytes: exactly at the limit, not beyond it.
    const QByteArray atLimit = numberedLines(2000, 100);
    QTest::newRow("exactly 200000 bytes is kept")
        << atLimit << 2001 << QString::fromLatin1(atLimit.left(99));
    QTest::newRow("one byte more is cut to 400 lines")
        << QByteArray(atLimit + '\n') << 401 << QString::fromLatin1(atLimit.mid(1600 * 100, 99));

    // Blank lines are dropped by the cut and do not count towards the 400.
    QByteArray withBlanks = numberedLines(2500, 81);
    withBlanks.replace("line 2300", "\n\nline 2300");
    QTest::newRow("blank lines vanish in the cut")
        << withBlanks << 401 << QString::fromLatin1(numberedLines(2101, 81).right(81).left(80));
    // Nothing of it fits into the window read from the end: no line is kept.
    QTest::newRow("a log without a line end is emptied")
        << QByteArray(300000, 'x') << 1 << QStringLiteral("new entry");
}

void TestGuardianLog::cutBackPastSizeLimit()
{
    QFETCH(QByteArray, content);
    QFETCH(int, expectedLines);
    QFETCH(QString, expectedFirst);

    QTemporaryDir home;
    ProxyGuardian guardian(home.path());
    writeFile(guardian.logPath(), content);
    guardian.appendLog(QStringLiteral("new entry"));

    const QString text = readAll(guardian.logPath());
    QVERIFY(text.endsWith(QStringLiteral("  new entry\n")));
    QVERIFY(!text.contains(QStringLiteral("\n\n")));
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), expectedLines);
    QCOMPARE(lines.first().mid(expectedLines == 1 ? 21 : 0), expectedFirst);
    if (expectedLines > 1)
        QCOMPARE(lines.at(lines.size() - 2),
                 QString::fromLatin1(content.trimmed().split('\n').last()));
}

void TestGuardianLog::tail_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("default takes the last eight")
        << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n") << -1
        << QStringList{"3", "4", "5", "6", "7", "8", "9", "10"};
    QTest::newRow("blank lines skipped, no final newline")
        << QByteArray("a\n\n\nb\n\nc") << 2 << QStringList{"b", "c"};
    QTest::newRow("zero lines") << QByteArray("a\nb\n") << 0 << QStringList{};
    // Only the end of the file is read: lines before its last megabyte do not count.
    QTest::newRow("only the last megabyte is read")
        << QByteArray("old\n" + QByteArray(2 << 20, 'x') + "\nnew\n") << 3 << QStringList{"new"};
}

void TestGuardianLog::tail()
{
    QFETCH(QByteArray, content);
    QFETCH(int, n);
    QFETCH(QStringList, expected);

    QTemporaryDir home;
    ProxyGuardian guardian(home.path());
    QVERIFY(guardian.logTail().isEmpty()); // no file yet
    writeFile(guardian.logPath(), content);
    QCOMPARE(n < 0 ? guardian.logTail() : guardian.logTail(n), expected);
}

void TestGuardianLog::unwritableLogIsNotReplaced()
{
    if (geteuid() == 0)
        QSKIP("file permissions do not bind root");
    QTemporaryDir home;
    ProxyGuardian guardian(home.path());
    writeFile(guardian.logPath(), "2026-01-01 00:00:00  keep me\n");
    QVERIFY(QFile::setPermissions(guardian.logPath(), QFileDevice::ReadOwner));
    guardian.appendLog(QStringLiteral("lost"));
    QCOMPARE(readAll(guardian.logPath()), QStringLiteral("2026-01-01 00:00:00  keep me\n"));
}

void TestGuardianLog::writersAtOnceAllLand()
{
    // Ten agent runs writing at once into a log that does not exist yet.
    QTemporaryDir home;
    std::vector<std::thread> writers;
    for (int i = 0; i < 10; ++i) {
        writers.emplace_back([&home, i] {
            ProxyGuardian guardian(home.path());
            guardian.appendLog(QStringLiteral("entry %1").arg(i));
        });
    }
    for (std::thread &writer : writers)
        writer.join();
    const QStringList lines = ProxyGuardian(home.path()).logTail(20);
    QCOMPARE(lines.size(), 10);
    for (int i = 0; i < 10; ++i)
        QVERIFY2(lines.filter(QStringLiteral("  entry %1").arg(i)).size() == 1,
                 qPrintable(lines.join('|')));
}

void TestGuardianLog::fullDiskLeavesNoHalfEntry()
{
    QTemporaryDir home;
    ProxyGuardian guardian(home.path());
    const QByteArray before = "2026-01-01 00:00:00  kept\n";
    writeFile(guardian.logPath(), before);
    // A file size limit a few bytes past the end stands in for a disk that fills mid-entry.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(before.size() + 10);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    guardian.appendLog(QStringLiteral("an entry longer than the room left"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    QCOMPARE(readAll(guardian.logPath()).toUtf8(), before);
}

QTEST_GUILESS_MAIN(TestGuardianLog)
#include "tst_guardianlog.moc"
