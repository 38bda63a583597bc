#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace brevik {

// Brevik's own files in the user's folders: the repair journal, its locks, the guardian's
// state. Any process of the user can plant a symbolic link where one of them should be, to
// make Brevik write, truncate or read another file; so none of them is ever opened through a
// link, the folder that holds them must not be one, and only plain files are read or written.
namespace StateFiles {

// An open file, closed when it goes.
class Handle {
public:
    Handle() = default;
    explicit Handle(int fd) : m_fd(fd) {}
    Handle(Handle &&other) noexcept : m_fd(other.release()) {}
    Handle &operator=(Handle &&other) noexcept;
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle();

    int fd() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    int release();

private:
    int m_fd = -1;
};

// The outcome of opening: the file, or why not (`missing` when it does not exist).
struct Opened {
    Handle file;
    bool missing = false;
    QString error; // empty when opened (or merely missing)
};

// Makes `folder` (and its parents) when missing, private to the user. Refuses a folder that is
// a symbolic link or not a folder. Returns the reason, empty when the folder is fit for use.
QString ensureFolder(const QString &folder);

// Opens a plain file for reading, never through a link.
Opened openForReading(const QString &path);

// Opens (creating when missing, mode 0600) a plain file for appending, never through a link;
// its folder is made first.
Opened openForAppending(const QString &path);

// Opens (creating when missing) the file a lock is held on.
Opened openLockFile(const QString &path);

// Replaces the file at `path` with `bytes` in one step: a new file is written and synced
// beside it, then renamed over it, so the old content stays unless the new one is whole. A
// link at `path` is refused, never followed. Returns the reason, empty on success.
QString replace(const QString &path, const QByteArray &bytes);

// Reads the whole of a small plain file (at most `limit` bytes), never through a link.
// Missing: `missing` set; too large or unreadable: `error` set.
struct Content {
    QByteArray bytes;
    bool missing = false;
    QString error;
};
Content readSmall(const QString &path, qint64 limit);

// Writes all of `bytes` at the file's position, going on after short writes. False (errno
// set) when the file takes no more.
bool writeAll(int fd, const QByteArray &bytes);

// The user-facing reason for an errno value, for the file at `path`.
QString reason(int error, const QString &path);

} // namespace StateFiles

} // namespace brevik
