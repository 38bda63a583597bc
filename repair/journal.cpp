#include "repair/journal.h"

#include "repair/statefiles.h"

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

constexpr qint64 kChunk = 64 * 1024;
// A journal kept within its limit is read whole; beyond, the newest records that fit. Lines
// that are no records of ours (one huge line, say) are stepped over, however long, without
// being kept: they cost the time to look for their line feed, never memory.
constexpr qint64 kKeepLimit = Journal::kSizeLimit + Journal::kRecordLimit;

// The newest lines of the file, oldest first: whole lines only (the one cut by the window's
// start is dropped), none longer than kRecordLimit, at most `keep` bytes of them, found by
// reading backwards from the end.
QList<QByteArray> newestLines(int fd, qint64 size, qint64 keep)
{
    QList<QByteArray> lines; // newest first
    QByteArray carry;        // the end of a line whose start lies further back
    qint64 carried = 0;      // its length, counted on when it is too long to keep
    qint64 kept = 0;
    qint64 position = size;
    const auto complete = [&](const QByteArray &line, qint64 length) {
        if (length > 0 && length <= Journal::kRecordLimit) {
            lines << line;
            kept += length + 1;
        }
    };
    QByteArray chunk;
    while (position > 0 && kept < keep) {
        const qint64 length = std::min(kChunk, position);
        position -= length;
        chunk.resize(length);
        qint64 done = 0;
        while (done < length) {
            const ssize_t got = ::pread(fd, chunk.data() + done, size_t(length - done),
                                        off_t(position + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return {};
            done += got;
        }
        qsizetype end = chunk.size();
        while (true) {
            const qsizetype newline = end > 0 ? chunk.lastIndexOf('\n', end - 1) : -1;
            const qsizetype start = newline + 1;
            const qint64 piece = end - start;
            carried += piece;
            if (carried <= Journal::kRecordLimit)
                carry.prepend(chunk.constData() + start, piece);
            else
                carry.clear();
            if (newline < 0)
                break;
            complete(carry, carried);
            carry.clear();
            carried = 0;
            end = newline;
        }
    }
    // The first line of the file is whole; a line cut by the window's start is not.
    if (position == 0)
        complete(carry, carried);
    std::reverse(lines.begin(), lines.end());
    return lines;
}

struct Parsed {
    QList<JournalEntry> entries;
    qint64 lastId = 0;
};

Parsed parse(const QList<QByteArray> &lines, const QString &home)
{
    Parsed parsed;
    QHash<qint64, qsizetype> index;
    for (const QByteArray &line : lines) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            continue;
        const QJsonObject record = document.object();
        if (const std::optional<qint64> floor = JournalRecords::floorOf(record)) {
            parsed.lastId = std::max(parsed.lastId, *floor);
            continue;
        }
        const std::optional<qint64> id = JournalRecords::idOf(record);
        if (!id)
            continue;
        parsed.lastId = std::max(parsed.lastId, *id);
        if (JournalRecords::isOutcome(record)) {
            if (index.contains(*id))
                JournalRecords::addOutcome(parsed.entries[index.value(*id)], record, home);
            continue;
        }
        // A second entry under a number already read is planted: the first one stands.
        if (index.contains(*id))
            continue;
        if (std::optional<JournalEntry> entry = JournalRecords::entryFrom(record, home)) {
            index.insert(*id, parsed.entries.size());
            parsed.entries << *entry;
        }
    }
    return parsed;
}

qint64 sizeOf(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? qint64(info.st_size) : -1;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
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

// Keeps the newest records that fit into half the limit, behind a line that carries the last
// id given, so that numbers keep growing after the older records are gone.
QString cut(const QString &path, int fd, qint64 size, const QString &home)
{
    const QList<QByteArray> lines = newestLines(fd, size, Journal::kSizeLimit / 2);
    const Parsed parsed = parse(lines, home);
    QByteArray kept = recordLine(JournalRecords::floorRecord(parsed.lastId));
    for (const QByteArray &line : lines) {
        const QJsonObject record = QJsonDocument::fromJson(line).object();
        if (JournalRecords::idOf(record))
            kept += line + '\n';
    }
    return StateFiles::replace(path, kept);
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

Journal::Read Journal::read() const
{
    Read result;
    StateFiles::Opened opened = StateFiles::openForReading(m_path);
    result.missing = opened.missing;
    result.error = opened.error;
    if (!opened.file.isOpen())
        return result;
    const int fd = opened.file.fd();
    const qint64 size = sizeOf(fd);
    result.entries = parse(newestLines(fd, size, kKeepLimit), m_home).entries;
    return result;
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
        const QString problem = cut(m_path, opened.file.fd(), size, m_home);
        if (!problem.isEmpty())
            return problem;
        opened = StateFiles::openForAppending(m_path);
        if (!opened.file.isOpen())
            return opened.error;
        size = sizeOf(opened.file.fd());
    }
    const int fd = opened.file.fd();
    entry.id = parse(newestLines(fd, size, kKeepLimit), m_home).lastId + 1;
    QByteArray line = recordLine(entry.startRecord());
    // A record cut short by a crash must not swallow this one: it starts on a line of its own.
    char last = '\n';
    if (size > 0 && ::pread(fd, &last, 1, off_t(size - 1)) == 1 && last != '\n')
        line.prepend('\n');
    if (!writeAll(fd, line) || ::fsync(fd) != 0) {
        const int failure = errno ? errno : EIO;
        // Half a record would glue itself to the next one; under the lock the end is ours.
        (void)::ftruncate(fd, off_t(size));
        entry.id = 0;
        return StateFiles::reason(failure, m_path);
    }
    return {};
}

QString Journal::finish(const JournalEntry &entry) const
{
    if (entry.id <= 0)
        return QStringLiteral("这次修复的记录没有写入");
    const AppendLock lock(m_path);
    if (!lock.held())
        return lock.error();
    StateFiles::Opened opened = StateFiles::openForAppending(m_path);
    if (!opened.file.isOpen())
        return opened.error;
    const int fd = opened.file.fd();
    const qint64 size = sizeOf(fd);
    QByteArray line = recordLine(entry.outcomeRecord());
    char last = '\n';
    if (size > 0 && ::pread(fd, &last, 1, off_t(size - 1)) == 1 && last != '\n')
        line.prepend('\n');
    if (!writeAll(fd, line) || ::fsync(fd) != 0) {
        const int failure = errno ? errno : EIO;
        (void)::ftruncate(fd, off_t(size));
        return StateFiles::reason(failure, m_path);
    }
    return {};
}

} // namespace brevik
