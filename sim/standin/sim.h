#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <functional>

namespace brevik {

// What every stand-in works on: the simulation folder named by BREVIK_SIM_DIR, the state
// as it was when the call began, and whether the call runs with administrator rights
// (inside the script that the simulated password prompt let through).
class Sim {
public:
    bool attach(QString *error);

    const QString &folder() const { return m_folder; }
    QString home() const;
    QString hostsFile() const;
    QString binDir() const;

    const QJsonObject &state() const { return m_state; }

    // A locked read-modify-write of the state (see SimState::update); state() then shows
    // the result.
    bool update(const std::function<bool(QJsonObject &)> &change);

    bool admin() const { return m_admin; }

    // Sleeps as long as the simulated Mac would take, shortened by the scenario's
    // "timeScale" (or BREVIK_SIM_TIME_SCALE) so that tests need not wait in real time.
    void wait(double seconds) const;

    // Waits until `count` calls, this one included, have come to the meeting point `group`,
    // or until `seconds` (shortened like every wait) have passed; true when all came. Calls
    // that all come prove that they ran side by side, whatever the machine's speed.
    bool meet(const QString &group, int count, double seconds) const;

    // The simulated Mac's clock in seconds since the epoch: real time plus the scenario's
    // "clockOffsetSeconds" (a Mac whose clock runs ahead has a positive offset).
    double clock() const;

    // True when `path` lies inside the simulation folder (after resolving links).
    bool insideFolder(const QString &path) const;

private:
    QString m_folder;
    QJsonObject m_state;
    bool m_admin = false;
    double m_timeScale = 1.0;
};

// Output as the real tool writes it.
void out(const QString &text);
void err(const QString &text);

// Reading and writing nested JSON by key path: at(state, {"services", "Wi-Fi", "dns"}).
QJsonValue at(const QJsonObject &root, const QStringList &path);
QJsonObject objectAt(const QJsonObject &root, const QStringList &path);
void setAt(QJsonObject &root, const QStringList &path, const QJsonValue &value);
void removeAt(QJsonObject &root, const QStringList &path);

QStringList toStringList(const QJsonValue &value);

// Runs a program with the caller's standard streams and environment; its exit code.
int runProgram(const QString &program, const QStringList &args,
               const QList<QPair<QByteArray, QByteArray>> &extraEnv = {});

// The real tool of that name further down PATH, skipping the simulation's bin folder.
QString realTool(const Sim &sim, const QString &name);

} // namespace brevik
