#include "guardian/guardlog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace brevik;

namespace {

const QDateTime kNow = QDateTime::fromString("2026-03-04T10:05:09", Qt::ISODate);

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    for (int i = 1; i <= count; ++i)
        bytes += ("line " + QByteArray::number(i).rightJustified(4, '0') + ' ')
                     .leftJustified(width - 1, '.') +
                 '\n';
    return bytes;
}

} // namespace

class TestGuardianLog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void append_data();
    void append();
    void tail_data();
    void tail();
    void writersAtOnceAllLand_data();
    void writersAtOnceAllLand();
    void fullDiskLeavesNoHalfEntry();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<GuardLog> m_log;
};

void TestGuardianLog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_log =
        std::make_unique<GuardLog>(m_dir->filePath("Logs/Brevik/guard.log"), [] { return kNow; });
}

void TestGuardianLog::append_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file (nor folder) yet
    QTest::addColumn<int>("lines");          // afterwards, the new entry included
    QTest::addColumn<QByteArray>("first");   // the first line afterwards

    const QByteArray entry = "2026-03-04 10:05:09  new entry";
    QTest::newRow("first entry makes folder and file") << QByteArray() << 1 << entry;
    // 2,000 lines of 100 bytes: exactly at the limit, not beyond it.
    const QByteArray atLimit = numberedLines(2000, 100);
    QTest::newRow("exactly 200000 bytes is kept") << atLimit << 2001 << atLimit.left(99);
    QTest::newRow("one byte more is cut to 400 lines")
        << QByteArray(atLimit + '\n') << 401 << atLimit.mid(1600 * 100, 99);
    // Blank lines are dropped by the cut and do not count towards the 400.
    QByteArray withBlanks = numberedLines(2500, 81);
    withBlanks.replace("line 2300", "\n\nline 2300");
    QTest::newRow("blank lines vanish in the cut")
        << withBlanks << 401 << numberedLines(2101, 81).right(81).left(80);
    // Nothing of it fits into the window read from the end: no line is kept.
    QTest::newRow("a log without a line end is emptied") << QByteArray(300000, 'x') << 1 << entry;
}

void TestGuardianLog::append()
{
    QFETCH(QByteArray, content);
    QFETCH(int, lines);
    QFETCH(QByteArray, first);

    if (!content.isNull())
        writeFile(m_log->path(), content);
    m_log->append(QStringLiteral("new entry"));

    const QByteArray text = readAll(m_log->path());
    QVERIFY(text.endsWith("\n2026-03-04 10:05:09  new entry\n") || lines == 1);
    QVERIFY(!text.contains("\n\n"));
    const QList<QByteArray> all = text.trimmed().split('\n');
    QCOMPARE(all.size(), lines);
    QCOMPARE(all.first(), first);
}

void TestGuardianLog::tail_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("no file") << QByteArray() << 8 << QStringList{};
    QTest::newRow("the last n") << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n") << 8
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

    if (!content.isNull())
        writeFile(m_log->path(), content);
    QCOMPARE(m_log->tail(n), expected);
}

void TestGuardianLog::writersAtOnceAllLand_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no log yet
    QTest::newRow("into a log that does not exist yet") << QByteArray();
    // The first writer cuts the log back while the others append: none of theirs is lost.
    QByteArray full;
    while (full.size() <= 200000)
        full += "2026-03-04 10:00:00  an older line of the log\n";
    QTest::newRow("into a log past its size limit") << full;
}

void TestGuardianLog::writersAtOnceAllLand()
{
    QFETCH(QByteArray, content);
    if (!content.isNull())
        writeFile(m_log->path(), content);
    // Ten agent runs writing at once.
    std::vector<std::thread> writers;
    for (int i = 0; i < 10; ++i)
        writers.emplace_back([this, i] { m_log->append(QStringLiteral("entry %1").arg(i)); });
    for (std::thread &writer : writers)
        writer.join();
    const QStringList lines = m_log->tail(10);
    for (int i = 0; i < 10; ++i)
        QVERIFY2(lines.contains(QStringLiteral("2026-03-04 10:05:09  entry %1").arg(i)),
                 qPrintable(lines.join('|')));
}

void TestGuardianLog::fullDiskLeavesNoHalfEntry()
{
    const QByteArray before = "2026-01-01 00:00:00  kept\n";
    writeFile(m_log->path(), before);
    // A file size limit a few bytes past the end stands in for a disk that fills mid-entry.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(before.size() + 10);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    m_log->append(QStringLiteral("an entry longer than the room left"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    QCOMPARE(readAll(m_log->path()), before);
}

QTEST_GUILESS_MAIN(TestGuardianLog)
#include "tst_guardianlog.moc"
