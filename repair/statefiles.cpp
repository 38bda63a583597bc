#include "repair/statefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevik {

namespace StateFiles {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(StateFiles)
};

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// O_NONBLOCK: a FIFO planted in a file's place must not hang the open.
constexpr int kSafeFlags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;

Opened openPlain(const QString &path, int flags, mode_t mode)
{
    Opened opened;
    int fd = -1;
    do {
        fd = ::open(encoded(path).constData(), flags | kSafeFlags, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        opened.missing = errno == ENOENT;
        if (!opened.missing)
            opened.error = reason(errno, path);
        return opened;
    }
    Handle file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        opened.error = reason(S_ISDIR(info.st_mode) ? EISDIR : EINVAL, path);
        return opened;
    }
    // Reads and appends block as usual from here on.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    opened.file = std::move(file);
    return opened;
}

} // namespace

Handle &Handle::operator=(Handle &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

Handle::~Handle()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int Handle::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
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

QString reason(int error, const QString &path)
{
    switch (error) {
    case ELOOP:
        return Texts::tr("“%1”是一个符号链接，Brevik 不会经由链接读写自己的文件").arg(path);
    case EISDIR:
        return Texts::tr("“%1”是一个文件夹，不是文件").arg(path);
    case EINVAL:
        return Texts::tr("“%1”不是普通文件").arg(path);
    case EACCES:
    case EPERM:
        return Texts::tr("没有权限读写“%1”").arg(path);
    case ENOSPC:
    case EDQUOT:
        return Texts::tr("磁盘空间不足，无法写入“%1”").arg(path);
    case EROFS:
        return Texts::tr("“%1”所在的磁盘是只读的").arg(path);
    case ENOTDIR:
        return Texts::tr("“%1”的路径中有一项不是文件夹").arg(path);
    default:
        return Texts::tr("无法读写“%1”：%2")
            .arg(path, QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString ensureFolder(const QString &folder)
{
    struct stat info {};
    if (::lstat(encoded(folder).constData(), &info) != 0) {
        if (errno != ENOENT)
            return reason(errno, folder);
        // Parents are ordinary folders of the home (Library, Application Support); only ours
        // is made private.
        QDir().mkpath(QFileInfo(folder).absolutePath());
        if (::mkdir(encoded(folder).constData(), 0700) != 0 && errno != EEXIST)
            return reason(errno, folder);
        if (::lstat(encoded(folder).constData(), &info) != 0)
            return reason(errno, folder);
    }
    if (S_ISLNK(info.st_mode))
        return reason(ELOOP, folder);
    if (!S_ISDIR(info.st_mode))
        return reason(ENOTDIR, folder);
    return {};
}

Opened openForReading(const QString &path)
{
    return openPlain(path, O_RDONLY, 0);
}

Opened openForAppending(const QString &path)
{
    const QString folderError = ensureFolder(QFileInfo(path).absolutePath());
    if (!folderError.isEmpty()) {
        Opened opened;
        opened.error = folderError;
        return opened;
    }
    return openPlain(path, O_RDWR | O_APPEND | O_CREAT, 0600);
}

Opened openLockFile(const QString &path)
{
    const QString folderError = ensureFolder(QFileInfo(path).absolutePath());
    if (!folderError.isEmpty()) {
        Opened opened;
        opened.error = folderError;
        return opened;
    }
    return openPlain(path, O_RDWR | O_CREAT, 0600);
}

QString replace(const QString &path, const QByteArray &bytes)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString folderError = ensureFolder(folder);
    if (!folderError.isEmpty())
        return folderError;
    struct stat info {};
    if (::lstat(encoded(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return reason(S_ISLNK(info.st_mode) ? ELOOP : EINVAL, path);

    const QString temporary =
        path + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate64(), 0, 16);
    const int fd = ::open(encoded(temporary).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return reason(errno, path);
    Handle file(fd);
    int failure = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        failure = errno ? errno : EIO;
    file = Handle();
    // rename() replaces whatever name is there, a link too, without following it.
    if (failure == 0 && ::rename(encoded(temporary).constData(), encoded(path).constData()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(encoded(temporary).constData());
        return reason(failure, path);
    }
    return {};
}

Content readSmall(const QString &path, qint64 limit)
{
    Content content;
    Opened opened = openForReading(path);
    content.missing = opened.missing;
    content.error = opened.error;
    if (!opened.file.isOpen())
        return content;
    struct stat info {};
    if (::fstat(opened.file.fd(), &info) != 0 || info.st_size > limit) {
        content.error = Texts::tr("“%1”过大，不是 Brevik 写的文件").arg(path);
        return content;
    }
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            ::pread(opened.file.fd(), bytes.data() + done, size_t(bytes.size() - done), done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    content.bytes = bytes;
    return content;
}

} // namespace StateFiles

} // namespace brevik
