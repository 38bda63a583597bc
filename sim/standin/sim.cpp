#include "sim/standin/sim.h"

#include "exec/childprocess.h"
#include "sim/simstate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <chrono>
#include <cstdio>
#include <thread>

namespace brevik {

bool Sim::attach(QString *error)
{
    m_folder = qEnvironmentVariable("BREVIK_SIM_DIR");
    if (m_folder.isEmpty()) {
        *error = QStringLiteral("BREVIK_SIM_DIR is not set: run through a simulated Mac");
        return false;
    }
    QString readError;
    m_state = SimState::read(m_folder, &readError);
    if (m_state.isEmpty()) {
        *error = QStringLiteral("cannot read the simulated Mac in %1: %2").arg(m_folder, readError);
        return false;
    }
    m_admin = qEnvironmentVariable("BREVIK_SIM_ADMIN") == QLatin1String("1");
    bool ok = false;
    const double scale = qEnvironmentVariable("BREVIK_SIM_TIME_SCALE").toDouble(&ok);
    m_timeScale = ok ? scale : m_state.value(QStringLiteral("timeScale")).toDouble(1.0);
    return true;
}

QString Sim::home() const
{
    return m_folder + QStringLiteral("/home");
}

QString Sim::hostsFile() const
{
    return m_folder + QStringLiteral("/etc/hosts");
}

QString Sim::binDir() const
{
    return m_folder + QStringLiteral("/bin");
}

bool Sim::update(const std::function<bool(QJsonObject &)> &change)
{
    QJsonObject after;
    QString error;
    if (!SimState::update(m_folder, change, &error, &after)) {
        err(QStringLiteral("brevik-sim: cannot change the simulated Mac: %1\n").arg(error));
        return false;
    }
    m_state = after;
    return true;
}

void Sim::wait(double seconds) const
{
    const double scaled = seconds * std::max(0.0, m_timeScale);
    if (scaled > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(static_cast<qint64>(scaled * 1e6)));
}

bool Sim::meet(const QString &group, int count, double seconds) const
{
    const QString point = m_folder + QStringLiteral("/meet/") + group;
    QDir().mkpath(point);
    QFile(point + QLatin1Char('/') + QString::number(QCoreApplication::applicationPid()))
        .open(QIODevice::WriteOnly);
    const auto until =
        std::chrono::steady_clock::now() +
        std::chrono::microseconds(qint64(seconds * std::max(0.0, m_timeScale) * 1e6));
    for (;;) {
        if (QDir(point).entryList(QDir::Files).size() >= count)
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

double Sim::clock() const
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count() +
           m_state.value(QStringLiteral("clockOffsetSeconds")).toDouble();
}

bool Sim::insideFolder(const QString &path) const
{
    const QString root = QFileInfo(m_folder).canonicalFilePath();
    QFileInfo info(path);
    // A file that does not exist yet is judged by its folder.
    const QString resolved = info.exists() ? info.canonicalFilePath()
                                           : QFileInfo(info.absolutePath()).canonicalFilePath();
    return !root.isEmpty() && !resolved.isEmpty() &&
           (resolved == root || resolved.startsWith(root + QLatin1Char('/')));
}

void out(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

void err(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

QJsonValue at(const QJsonObject &root, const QStringList &path)
{
    QJsonValue value = root;
    for (const QString &key : path)
        value = value.toObject().value(key);
    return value;
}

QJsonObject objectAt(const QJsonObject &root, const QStringList &path)
{
    return at(root, path).toObject();
}

void setAt(QJsonObject &root, const QStringList &path, const QJsonValue &value)
{
    if (path.isEmpty())
        return;
    if (path.size() == 1) {
        root.insert(path.first(), value);
        return;
    }
    QJsonObject child = root.value(path.first()).toObject();
    setAt(child, path.mid(1), value);
    root.insert(path.first(), child);
}

void removeAt(QJsonObject &root, const QStringList &path)
{
    if (path.size() == 1) {
        root.remove(path.first());
        return;
    }
    if (path.isEmpty() || !root.value(path.first()).isObject())
        return;
    QJsonObject child = root.value(path.first()).toObject();
    removeAt(child, path.mid(1));
    root.insert(path.first(), child);
}

QStringList toStringList(const QJsonValue &value)
{
    QStringList list;
    for (const auto &item : value.toArray())
        list << (item.isDouble() ? QString::number(item.toInteger()) : item.toString());
    return list;
}

int runProgram(const QString &program, const QStringList &args,
               const QList<QPair<QByteArray, QByteArray>> &extraEnv)
{
    ChildProcess::Request request;
    request.argv = {QFile::encodeName(program)};
    for (const QString &arg : args)
        request.argv << arg.toUtf8();
    QList<QByteArray> set;
    for (const auto &[key, value] : extraEnv)
        set << key + '=' + value;
    request.environment = ChildProcess::environmentWith(set);
    request.streams = ChildProcess::Streams::inherited;
    request.ownGroup = false; // ended with the stand-in's group, as the tool it stands for
    const ChildProcess::Outcome outcome = ChildProcess::run(request);
    switch (outcome.end) {
    case ProcessEnd::exited:
    case ProcessEnd::timedOut:
        break;
    case ProcessEnd::signalled:
        return 128 + outcome.code;
    case ProcessEnd::failedToStart:
        return 127;
    }
    return outcome.code;
}

QString realTool(const Sim &sim, const QString &name)
{
    const QString ownBin = QFileInfo(sim.binDir()).canonicalFilePath();
    const QStringList dirs =
        qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &dir : dirs) {
        if (QFileInfo(dir).canonicalFilePath() == ownBin)
            continue;
        const QFileInfo candidate(dir + QLatin1Char('/') + name);
        if (candidate.isExecutable() && !candidate.isDir())
            return candidate.absoluteFilePath();
    }
    return QStringLiteral("/bin/") + name;
}

} // namespace brevik
