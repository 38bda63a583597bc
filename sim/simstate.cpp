#include "sim/simstate.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace brevik {

namespace {

// Holds the folder's lock file exclusively for its lifetime.
class StateLock {
public:
    explicit StateLock(const QString &folder)
    {
        const QByteArray path = QFile::encodeName(folder + QStringLiteral("/state.lock"));
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~StateLock()
    {
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_UN);
            ::close(m_fd);
        }
    }
    StateLock(const StateLock &) = delete;
    StateLock &operator=(const StateLock &) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

bool writeUnlocked(const QString &folder, const QJsonObject &state, QString *error)
{
    QSaveFile file(SimState::stateFile(folder));
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(QJsonDocument(state).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString SimState::stateFile(const QString &folder)
{
    return folder + QStringLiteral("/state.json");
}

QJsonObject SimState::read(const QString &folder, QString *error)
{
    QFile file(stateFile(folder));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        if (error)
            *error = parseError.errorString();
        return {};
    }
    return document.object();
}

bool SimState::write(const QString &folder, const QJsonObject &state, QString *error)
{
    StateLock lock(folder);
    if (!lock.held()) {
        if (error)
            *error = QStringLiteral("cannot lock the simulation state");
        return false;
    }
    return writeUnlocked(folder, state, error);
}

bool SimState::update(const QString &folder, const std::function<bool(QJsonObject &)> &change,
                      QString *error, QJsonObject *after)
{
    StateLock lock(folder);
    if (!lock.held()) {
        if (error)
            *error = QStringLiteral("cannot lock the simulation state");
        return false;
    }
    QString readError;
    QJsonObject state = read(folder, &readError);
    if (state.isEmpty()) {
        if (error)
            *error = readError;
        return false;
    }
    const bool changed = change(state);
    if (after)
        *after = state;
    return !changed || writeUnlocked(folder, state, error);
}

} // namespace brevik
