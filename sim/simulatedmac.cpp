#include "sim/simulatedmac.h"

#include "exec/runner.h"
#include "sim/scenario.h"
#include "sim/simstate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

// The resource's registration function is a global name, so it is called from outside the
// project's namespace.
static void loadScenarioResources()
{
    Q_INIT_RESOURCE(scenarios);
}

namespace brevik {

namespace {

const QString kMarker = QStringLiteral(".brevik-sim");
const QString kFirewallTool = QStringLiteral("/usr/libexec/ApplicationFirewall/socketfilterfw");

QString simulationRoot()
{
    const QString root = qEnvironmentVariable("BREVIK_SIM_ROOT");
    return root.isEmpty() ? QDir::tempPath() + QStringLiteral("/brevik-sim") : root;
}

// The folder's paths replace /etc/hosts inside command lines where the system writes the
// path without quotes, so they must be plain words.
bool plainPath(const QString &path)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._/+-]+$"));
    return plain.match(path).hasMatch();
}

bool writeText(const QString &path, const QString &text, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// Only a folder this code made (it holds the marker) or an empty one is ever replaced:
// BREVIK_SIM_ROOT may point anywhere, and a wrong value must not cost anyone a folder.
bool replaceable(const QString &folder, QString *error)
{
    QDir dir(folder);
    if (!dir.exists() || QFileInfo::exists(dir.filePath(kMarker)) ||
        dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        return true;
    if (error)
        *error = QStringLiteral("%1 exists and is not a simulation folder; not replacing it")
                     .arg(folder);
    return false;
}

// A name beside `folder` that no other run, and no other call of this one, uses.
QString siblingName(const QString &folder, const char *what)
{
    static std::atomic<int> serial{0};
    return QStringLiteral("%1.%2.%3.%4")
        .arg(folder, QLatin1String(what))
        .arg(QCoreApplication::applicationPid())
        .arg(serial++);
}

// The scenario's /etc/hosts: its text, then the names of its "hostsBlocklist" (as large
// as the blocklists some users install), generated so that the scenario file stays small.
QString hostsText(const QJsonObject &state)
{
    QString text = state.value(QStringLiteral("hostsFile")).toString();
    const QJsonObject blocklist = state.value(QStringLiteral("hostsBlocklist")).toObject();
    const int count = blocklist.value(QStringLiteral("count")).toInt();
    if (count <= 0)
        return text;
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    const QString address =
        blocklist.value(QStringLiteral("address")).toString(QStringLiteral("0.0.0.0"));
    const QString name = blocklist.value(QStringLiteral("name")).toString();
    for (int n = 1; n <= count; ++n)
        text += address + QLatin1Char(' ') +
                QString(name).replace(QStringLiteral("{n}"), QString::number(n)) +
                QLatin1Char('\n');
    return text;
}

bool populate(const QString &folder, const QJsonObject &state, QString *error)
{
    QDir dir;
    for (const QString &sub :
         {QStringLiteral("bin"), QStringLiteral("etc"), QStringLiteral("home")}) {
        if (!dir.mkpath(folder + QLatin1Char('/') + sub)) {
            if (error)
                *error = QStringLiteral("cannot make %1/%2").arg(folder, sub);
            return false;
        }
    }
    if (!writeText(folder + QStringLiteral("/etc/hosts"), hostsText(state), error))
        return false;
    const QJsonObject homeFiles = state.value(QStringLiteral("homeFiles")).toObject();
    for (auto it = homeFiles.begin(); it != homeFiles.end(); ++it) {
        const QString relative = QDir::cleanPath(it.key());
        if (relative.startsWith(QLatin1String("..")) || QDir::isAbsolutePath(relative)) {
            if (error)
                *error = QStringLiteral("home file %1 lies outside the home folder").arg(it.key());
            return false;
        }
        if (!writeText(folder + QStringLiteral("/home/") + relative, it.value().toString(), error))
            return false;
    }
    QFile(CallLog::file(folder)).open(QIODevice::WriteOnly);
    if (!SimState::write(folder, state, error))
        return false;
    return writeText(folder + QLatin1Char('/') + kMarker,
                     QStringLiteral("made by Brevik's simulated Mac; safe to delete\n"), error);
}

// The Mac is made in a folder beside its place and moved there in one step, so that a run
// starting at the same moment finds either no folder or a whole one, never half of one.
// When another run was quicker and `replace` is not asked for, its Mac is used.
bool makeFolder(const QString &folder, const QJsonObject &state, bool replace, QString *error)
{
    const QString staging = siblingName(folder, "new");
    bool placed = populate(staging, state, error);
    for (int attempt = 0; placed && attempt < 5; ++attempt) {
        if (::rename(QFile::encodeName(staging).constData(),
                     QFile::encodeName(folder).constData()) == 0)
            return true;
        if (errno != EEXIST && errno != ENOTEMPTY) {
            if (error)
                *error = QStringLiteral("cannot move %1 to %2: %3")
                             .arg(staging, folder, QString::fromLocal8Bit(strerror(errno)));
            placed = false;
            break;
        }
        if (!replace && QFileInfo::exists(SimState::stateFile(folder)))
            break;
        if (!replaceable(folder, error)) {
            placed = false;
            break;
        }
        const QString old = siblingName(folder, "old");
        if (::rename(QFile::encodeName(folder).constData(), QFile::encodeName(old).constData()) ==
            0)
            QDir(old).removeRecursively();
    }
    QDir(staging).removeRecursively();
    if (placed && !QFileInfo::exists(SimState::stateFile(folder))) {
        if (error)
            *error = QStringLiteral("cannot put the simulation folder in place at %1").arg(folder);
        return false;
    }
    return placed;
}

// Many runs may open the same Mac at once (the launch agent, the app, tests): a link that
// already points at the stand-in is left alone, and a wrong one is replaced in one step
// (made under another name, then renamed over it), so no run ever finds a tool missing.
bool linkTools(const QString &binDir, QString *error)
{
    const QString target = SimulatedMac::standinPath();
    if (target.isEmpty() || !QFileInfo(target).isExecutable()) {
        if (error)
            *error = QStringLiteral("the stand-in executable brevik-sim was not found");
        return false;
    }
    const QString wanted = QFileInfo(target).absoluteFilePath();
    for (const QString &tool : SimulatedMac::toolNames()) {
        const QString link = binDir + QLatin1Char('/') + tool;
        if (QFileInfo(link).symLinkTarget() == wanted)
            continue;
        const QString temporary = siblingName(binDir + QStringLiteral("/.") + tool, "link");
        const bool renewed =
            QFile::link(target, temporary) && ::rename(QFile::encodeName(temporary).constData(),
                                                       QFile::encodeName(link).constData()) == 0;
        if (!renewed) {
            QFile::remove(temporary);
            if (error)
                *error = QStringLiteral("cannot link %1 to %2").arg(link, target);
            return false;
        }
    }
    return true;
}

} // namespace

SimulatedMac::SimulatedMac(QString name, QString folder)
    : m_name(std::move(name)), m_folder(std::move(folder))
{
}

std::optional<SimulatedMac> SimulatedMac::open(const QString &nameOrPath, bool fresh,
                                               QString *error)
{
    loadScenarioResources();
    const QString name = Scenario::nameOf(nameOrPath);
    const QString folder = QDir::cleanPath(QDir(simulationRoot()).absoluteFilePath(name));
    if (!plainPath(folder)) {
        if (error)
            *error = QStringLiteral("the simulation folder %1 must be a plain path "
                                    "(letters, digits, . _ / + -); set BREVIK_SIM_ROOT")
                         .arg(folder);
        return std::nullopt;
    }
    const bool exists = QFileInfo::exists(SimState::stateFile(folder));
    if (fresh || !exists) {
        const std::optional<QJsonObject> state = Scenario::load(nameOrPath, error);
        if (!state || !replaceable(folder, error) || !makeFolder(folder, *state, fresh, error))
            return std::nullopt;
    }
    if (!linkTools(folder + QStringLiteral("/bin"), error))
        return std::nullopt;
    return SimulatedMac(name, folder);
}

QString SimulatedMac::standinPath()
{
    if (QCoreApplication::instance()) {
        const QString beside =
            QCoreApplication::applicationDirPath() + QStringLiteral("/brevik-sim");
        if (QFileInfo(beside).isExecutable())
            return beside;
    }
    return QStringLiteral(BREVIK_SIM_STANDIN_PATH);
}

QStringList SimulatedMac::toolNames()
{
    return {"networksetup",   "scutil",      "route", "ipconfig",  "ifconfig",
            "ping",           "arp",         "nc",    "curl",      "dig",
            "dscacheutil",    "killall",     "lsof",  "ps",        "system_profiler",
            "socketfilterfw", "systemsetup", "sntp",  "launchctl", "osascript",
            "date",           "sed",         "netstat"};
}

QString SimulatedMac::home() const
{
    return m_folder + QStringLiteral("/home");
}

QString SimulatedMac::hostsFile() const
{
    return m_folder + QStringLiteral("/etc/hosts");
}

QString SimulatedMac::binDir() const
{
    return m_folder + QStringLiteral("/bin");
}

QString SimulatedMac::callLog() const
{
    return CallLog::file(m_folder);
}

std::shared_ptr<SimulatedMacRunner> SimulatedMac::makeRunner() const
{
    SimulatedMacRunner::Setting setting;
    setting.binDir = binDir();
    setting.paths = {{kFirewallTool, binDir() + QStringLiteral("/socketfilterfw")},
                     {QStringLiteral("/etc/hosts"), hostsFile()}};
    setting.environment = {{QStringLiteral("BREVIK_SIM_DIR"), m_folder},
                           {QStringLiteral("HOME"), home()}};
    return std::make_shared<SimulatedMacRunner>(std::make_shared<ProcessRunner>(), setting);
}

void SimulatedMac::activate() const
{
    installRunner(makeRunner());
    qputenv("HOME", QFile::encodeName(home()));
}

QList<SimCall> SimulatedMac::calls() const
{
    return CallLog::read(callLog());
}

QJsonObject SimulatedMac::state() const
{
    return SimState::read(m_folder);
}

bool SimulatedMac::updateState(const std::function<bool(QJsonObject &)> &change) const
{
    return SimState::update(m_folder, change);
}

} // namespace brevik
