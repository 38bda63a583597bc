#include "repair/journal.h"

#include "repair/backwardlines.h"
#include "repair/statefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>

#include <cerrno>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(Journal)
};

// A journal kept within its limit is read whole; of one grown beyond (by other hands) the
// newest records that much would hold. Lines that are not records of ours are stepped over
// without being kept, however long.
constexpr qint64 kKeepLimit = Journal::kSizeLimit + Journal::kRecordLimit;
// The next id follows the largest among the newest records: records of repairs that ran at
// once end in any order, but never this far apart.
constexpr qint64 kIdWindow = 64 * 1024;

QString notWritten()
{
    return Texts::tr("这次修复的记录没有写入");
}

std::optional<QJsonObject> recordIn(const QByteArray &line)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// Reads entries from the end: at most `newest` of them (all when negative), no further back
// than the keep limit. Read this way, outcomes come before their entries; they wait for them.
Journal::Read readFromEnd(int fd, qint64 size, qsizetype newest, const QString &home)
{
    Journal::Read read;
    QList<JournalEntry> entries; // newest first
    QHash<qint64, qsizetype> index;
    QHash<qint64, QJsonObject> outcomes;
    BackwardLines lines(fd, size, Journal::kRecordLimit);
    qint64 kept = 0;
    while ((newest < 0 || entries.size() < newest) && kept <= kKeepLimit) {
        const std::optional<QByteArray> line = lines.next();
        if (!line)
            break;
        kept += line->size() + 1;
        const std::optional<QJsonObject> record = recordIn(*line);
        const std::optional<qint64> id = record ? JournalRecords::idOf(*record) : std::nullopt;
        if (!id)
            continue;
        if (JournalRecords::isOutcome(*record)) {
            // The outcome written first stands; read backwards, that is the last one seen.
            outcomes.insert(*id, *record);
            continue;
        }
        std::optional<JournalEntry> entry = JournalRecords::entryFrom(*record, home);
        if (!entry)
            continue;
        // Two entries under one number: the one written first stands, a later one cannot
        // change it.
        if (index.contains(*id)) {
            entries[index.value(*id)] = *entry;
            continue;
        }
        index.insert(*id, entries.size());
        entries << *entry;
    }
    read.more = !lines.atStart();
    for (JournalEntry &entry : entries) {
        if (outcomes.contains(entry.id))
            JournalRecords::addOutcome(entry, outcomes.value(entry.id));
    }
    std::reverse(entries.begin(), entries.end());
    read.entries = entries;
    return read;
}

// The largest id among the newest records, and the last id a cut left behind.
qint64 lastIdNear(int fd, qint64 size)
{
    BackwardLines lines(fd, size, Journal::kRecordLimit);
    qint64 last = 0;
    while (lines.consumed() <= kIdWindow) {
        const std::optional<QByteArray> line = lines.next();
        if (!line)
            break;
        const std::optional<QJsonObject> record = recordIn(*line);
        if (!record)
            continue;
        if (const std::optional<qint64> floor = JournalRecords::floorOf(*record))
            last = std::max(last, *floor);
        if (const std::optional<qint64> id = JournalRecords::idOf(*record))
            last = std::max(last, *id);
    }
    return last;
}

qint64 sizeOf(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? qint64(info.st_size) : -1;
}

// Held while a record is appended or the file is cut; the journal itself is replaced when it
// is cut, so the lock lives beside it.
class AppendLock {
public:
    explicit AppendLock(const QString &journal)
    {
        StateFiles::Opened opened = StateFiles::openLockFile(journal + QStringLiteral(".lock"));
        m_error = opened.error;
        if (!opened.file.isOpen())
            return;
        int result = -1;
        do {
            result = ::flock(opened.file.fd(), LOCK_EX);
        } while (result != 0 && errno == EINTR);
        if (result == 0)
            m_file = std::move(opened.file);
        else
            m_error = StateFiles::reason(errno, journal + QStringLiteral(".lock"));
    }
    bool held() const { return m_file.isOpen(); }
    QString error() const { return m_error; }

private:
    StateFiles::Handle m_file;
    QString m_error;
};

QByteArray recordLine(const QJsonObject &record)
{
    return QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
}

// Keeps the newest lines that fit into half the limit, behind a line that carries the last
// id given, so that numbers keep growing after the older records are gone.
QString cut(const QString &path, int fd, qint64 size)
{
    QList<QByteArray> kept; // newest first
    qint64 bytes = 0;
    BackwardLines lines(fd, size, Journal::kRecordLimit);
    while (bytes < Journal::kSizeLimit / 2) {
        const std::optional<QByteArray> line = lines.next();
        if (!line)
            break;
        kept << *line;
        bytes += line->size() + 1;
    }
    QByteArray content = recordLine(JournalRecords::floorRecord(lastIdNear(fd, size)));
    for (auto line = kept.crbegin(); line != kept.crend(); ++line)
        content += *line + '\n';
    return StateFiles::replace(path, content);
}

// Appends one record, flushed to the disk. A record cut short by a crash must not swallow
// this one: it starts on a line of its own. Half a record written would glue itself to the
// next one: under the append lock the end is ours, so it is taken back.
QString appendRecord(const QString &path, int fd, qint64 size, const QJsonObject &record)
{
    QByteArray line = recordLine(record);
    char last = '\n';
    if (size > 0 && ::pread(fd, &last, 1, off_t(size - 1)) == 1 && last != '\n')
        line.prepend('\n');
    if (!StateFiles::writeAll(fd, line) || ::fsync(fd) != 0) {
        const int failure = errno ? errno : EIO;
        (void)::ftruncate(fd, off_t(size));
        return StateFiles::reason(failure, path);
    }
    return {};
}

} // namespace

Journal::Journal(QString path, QString home)
    : m_path(std::move(path)), m_home(home.isEmpty() ? QDir::homePath() : std::move(home))
{
}

QString Journal::pathIn(const QString &home)
{
    return home + QStringLiteral("/Library/Application Support/Brevik/journal.jsonl");
}

Journal Journal::forCurrentUser()
{
    return Journal(pathIn(QDir::homePath()), QDir::homePath());
}

Journal::Read Journal::read(qsizetype newest) const
{
    StateFiles::Opened opened = StateFiles::openForReading(m_path);
    if (!opened.file.isOpen()) {
        Read result;
        result.missing = opened.missing;
        result.error = opened.error;
        return result;
    }
    const int fd = opened.file.fd();
    return readFromEnd(fd, sizeOf(fd), newest, m_home);
}

QString Journal::start(JournalEntry &entry) const
{
    const AppendLock lock(m_path);
    if (!lock.held())
        return lock.error();
    StateFiles::Opened opened = StateFiles::openForAppending(m_path);
    if (!opened.file.isOpen())
        return opened.error;
    qint64 size = sizeOf(opened.file.fd());
    if (size > kSizeLimit) {
        const QString problem = cut(m_path, opened.file.fd(), size);
        if (!problem.isEmpty())
            return problem;
        opened = StateFiles::openForAppending(m_path);
        if (!opened.file.isOpen())
            return opened.error;
        size = sizeOf(opened.file.fd());
    }
    entry.id = lastIdNear(opened.file.fd(), size) + 1;
    const QString problem = appendRecord(m_path, opened.file.fd(), size, entry.startRecord());
    if (!problem.isEmpty())
        entry.id = 0;
    return problem;
}

QString Journal::finish(const JournalEntry &entry) const
{
    if (entry.id <= 0)
        return notWritten();
    const AppendLock lock(m_path);
    if (!lock.held())
        return lock.error();
    StateFiles::Opened opened = StateFiles::openForAppending(m_path);
    if (!opened.file.isOpen())
        return opened.error;
    return appendRecord(m_path, opened.file.fd(), sizeOf(opened.file.fd()),
                        entry.outcomeRecord());
}

} // namespace brevik
