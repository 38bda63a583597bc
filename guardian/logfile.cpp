#include "guardian/logfile.h"

#include "repair/statefiles.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevik {

namespace {

constexpr qint64 kFirstWindow = 64 * 1024;
constexpr qint64 kLargestWindow = 1024 * 1024;

} // namespace

namespace LogFile {

bool append(const QString &path, const QByteArray &entry)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return false;
    ssize_t written = -1;
    do {
        written = ::write(fd, entry.constData(), size_t(entry.size()));
    } while (written < 0 && errno == EINTR);
    if (written > 0 && written < entry.size()) {
        // Half an entry would glue itself to the next one. Take it back unless another
        // process has appended behind it in the meantime.
        const off_t end = ::lseek(fd, 0, SEEK_CUR);
        struct stat info {};
        if (end >= written && ::fstat(fd, &info) == 0 && info.st_size == end)
            (void)::ftruncate(fd, end - written);
    }
    ::close(fd);
    return written == entry.size();
}

QStringList tail(const QString &path, int n)
{
    QFile file(path);
    if (n <= 0 || !file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    // Widen the window from the end until it holds n lines, reaches the start or the limit.
    for (qint64 window = kFirstWindow;; window *= 4) {
        const qint64 start = std::max<qint64>(0, size - std::min(window, kLargestWindow));
        if (!file.seek(start))
            return {};
        QByteArray bytes = file.read(size - start);
        // The window's first line is cut unless the window starts the file.
        if (start > 0) {
            const qsizetype firstEnd = bytes.indexOf('\n');
            bytes = firstEnd < 0 ? QByteArray() : bytes.mid(firstEnd + 1);
        }
        const QStringList lines =
            QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (lines.size() >= n || start == 0 || window >= kLargestWindow)
            return lines.mid(std::max<qsizetype>(0, lines.size() - n));
    }
}

void cutIfOversized(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.size() <= kSizeLimit)
        return;
    // Lines that alone would keep the log past its limit go too, oldest first.
    QByteArray bytes;
    const QStringList kept = tail(path, kLinesKept);
    for (auto line = kept.crbegin(); line != kept.crend(); ++line) {
        const QByteArray entry = line->toUtf8() + '\n';
        if (bytes.size() + entry.size() > kSizeLimit)
            break;
        bytes.prepend(entry);
    }
    StateFiles::replace(path, bytes);
}

} // namespace LogFile

} // namespace brevik
