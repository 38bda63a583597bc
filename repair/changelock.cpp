#include "repair/changelock.h"

#include <QCoreApplication>
#include <QDir>

#include <cerrno>
#include <sys/file.h>
#include <unistd.h>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(ChangeLock)
};

// What a user waiting on `holder` reads.
QString waitingFor(const ChangeLock::Holder &holder)
{
    const QString what = holder.what.isEmpty() ? Texts::tr("另一项修改") : holder.what;
    return Texts::tr("⏳ 正在等待另一项修改结束：%1（进程 %2）…")
        .arg(what, QString::number(holder.pid));
}

const QString kLockName = QStringLiteral("/changes.lock");
constexpr qint64 kHolderLimit = 4096;

ChangeLock::Holder readHolder(int fd)
{
    char buffer[kHolderLimit];
    const ssize_t got = ::pread(fd, buffer, sizeof buffer, 0);
    const QString text = QString::fromUtf8(buffer, got > 0 ? got : 0);
    ChangeLock::Holder holder;
    holder.pid = text.section(QLatin1Char('\n'), 0, 0).toLongLong();
    holder.what = text.section(QLatin1Char('\n'), 1, 1).left(200);
    return holder;
}

void writeHolder(int fd, const QString &what)
{
    QString cleaned = what;
    cleaned.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray text = QByteArray::number(qint64(::getpid())) + '\n' + cleaned.toUtf8() + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)::pwrite(fd, text.constData(), size_t(text.size()), 0);
}

int lockOnce(int fd, int operation)
{
    int result = -1;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result;
}

} // namespace

QString ChangeLock::folderOf(const QString &home)
{
    return home + QStringLiteral("/Library/Application Support/Brevik");
}

ChangeLock ChangeLock::take(const QString &folder, const QString &what, Wait wait,
                            const std::function<void(const Holder &)> &waiting)
{
    ChangeLock lock;
    StateFiles::Opened opened = StateFiles::openLockFile(folder + kLockName);
    if (!opened.file.isOpen()) {
        lock.m_error = opened.error;
        return lock;
    }
    const int fd = opened.file.fd();
    // flock() locks belong to one open file: a second open in this same process (the window's
    // guardian while the window repairs) is kept out as another process would be.
    if (lockOnce(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {
            lock.m_error = StateFiles::reason(errno, folder + kLockName);
            return lock;
        }
        const Holder holder = readHolder(fd);
        if (wait == Wait::never) {
            lock.m_busy = holder;
            return lock;
        }
        if (waiting)
            waiting(holder);
        if (lockOnce(fd, LOCK_EX) != 0) {
            lock.m_error = StateFiles::reason(errno, folder + kLockName);
            return lock;
        }
    }
    writeHolder(fd, what);
    lock.m_file = std::move(opened.file);
    return lock;
}

ChangeLock ChangeLock::forCurrentUser(const QString &what, Wait wait,
                                      const std::function<void(const Holder &)> &waiting)
{
    return take(folderOf(QDir::homePath()), what, wait, waiting);
}

std::optional<ChangeLock::Holder> ChangeLock::holderIn(const QString &folder)
{
    StateFiles::Opened opened = StateFiles::openForReading(folder + kLockName);
    if (!opened.file.isOpen())
        return std::nullopt;
    const int fd = opened.file.fd();
    if (lockOnce(fd, LOCK_SH | LOCK_NB) == 0)
        return std::nullopt; // free: nobody holds it
    return readHolder(fd);
}

ChangeLock::~ChangeLock()
{
    // The holder's note goes with the lock, so that a reader never names a holder long gone.
    if (m_file.isOpen() && ::ftruncate(m_file.fd(), 0) == 0)
        lockOnce(m_file.fd(), LOCK_UN);
}

QString ChangeLock::waitingText(const Holder &holder)
{
    return waitingFor(holder);
}

} // namespace brevik
