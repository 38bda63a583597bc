#pragma once

#include "exec/runner.h"
#include "model/netconfig.h"
#include "sim/simulatedmac.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <functional>

namespace brevik {

// The executable run end to end on a simulated Mac, for the tests that need the real process.
struct Run {
    int code = -1;
    QString out;
    QString err;
    qint64 pid = 0;
};

// The environment that puts the executable on the simulated Mac `scenario` under `root`. It
// speaks Chinese, the language the tests compare, whatever the language of the machine.
inline QProcessEnvironment simulation(const QString &root, const QString &scenario, bool fresh)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BREVIK_LANG"), QStringLiteral("zh"));
    env.insert(QStringLiteral("BREVIK_SIMULATE"), scenario);
    env.insert(QStringLiteral("BREVIK_SIM_ROOT"), root);
    env.remove(QStringLiteral("BREVIK_SIM_FRESH"));
    if (fresh)
        env.insert(QStringLiteral("BREVIK_SIM_FRESH"), QStringLiteral("1"));
    return env;
}

// Starts the executable; `fileSizeLimit`: as on a full disk, every write fails.
inline void startBrevik(QProcess &process, const QProcessEnvironment &env, const QStringList &args,
                        bool fileSizeLimit = false)
{
    process.setProcessEnvironment(env);
    const QString brevik = QStringLiteral(BREVIK_EXECUTABLE);
    if (fileSizeLimit)
        process.start("/bin/bash",
                      QStringList{"-c", "trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\"", brevik} +
                          args);
    else
        process.start(brevik, args);
}

inline Run finished(QProcess &process, int timeoutMs = 180000)
{
    const qint64 pid = process.processId();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return {};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()), pid};
}

inline Run runBrevik(const QProcessEnvironment &env, const QStringList &args,
                     bool fileSizeLimit = false)
{
    QProcess process;
    startBrevik(process, env, args, fileSizeLimit);
    return finished(process);
}

// The services of the simulated Mac with a proxy switched on, read as the app reads them.
inline QStringList servicesWithProxyOn(const SimulatedMac &mac)
{
    ScopedRunner scope(mac.makeRunner());
    QStringList on;
    for (const QString &service : NetConfig::allServices()) {
        if (NetConfig::proxyState(service).enabled)
            on << service;
    }
    return on;
}

inline int notifications(const SimulatedMac &mac)
{
    int count = 0;
    for (const SimCall &call : mac.calls())
        count += call.tool == QLatin1String("osascript") &&
                 call.args.value(1).startsWith(QLatin1String("display notification "));
    return count;
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// Sets `value` in the simulated Mac's state at `keys`, a path of nested objects (an undefined
// value removes the key).
inline bool setState(const SimulatedMac &mac, const QStringList &keys, const QJsonValue &value)
{
    return mac.updateState([&](QJsonObject &state) {
        std::function<void(QJsonObject &, qsizetype)> set = [&](QJsonObject &object, qsizetype i) {
            if (i + 1 == keys.size()) {
                if (value.isUndefined())
                    object.remove(keys.at(i));
                else
                    object.insert(keys.at(i), value);
                return;
            }
            QJsonObject inner = object.value(keys.at(i)).toObject();
            set(inner, i + 1);
            object.insert(keys.at(i), inner);
        };
        set(state, 0);
        return true;
    });
}

// The names of the live processes (zombies aside) that run on the simulated Mac in `folder`,
// from Linux's process table.
inline QStringList processesOn(const QString &folder)
{
    const QByteArray marker = "BREVIK_SIM_DIR=" + QFile::encodeName(folder);
    QStringList names;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile environ(QStringLiteral("/proc/%1/environ").arg(entry));
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!environ.open(QIODevice::ReadOnly) || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state …": the name may hold blanks, the last ")" ends it.
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('('), close = line.lastIndexOf(')');
        if (open >= 0 && close > open && line.mid(close + 2, 1) != "Z" &&
            environ.readAll().split('\0').contains(marker))
            names << QString::fromUtf8(line.mid(open + 1, close - open - 1));
    }
    return names;
}

} // namespace brevik
