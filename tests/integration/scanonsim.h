#pragma once

#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/stepschedule.h"
#include "exec/runner.h"
#include "sim/simulatedmac.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace brevik {

// Runs every command of the scope on one simulated Mac, its home folder the process's home.
class OnSimulatedMac {
public:
    explicit OnSimulatedMac(const SimulatedMac &mac)
        : m_scope(mac.makeRunner()), m_oldHome(qgetenv("HOME"))
    {
        qputenv("HOME", mac.home().toUtf8());
    }
    ~OnSimulatedMac() { qputenv("HOME", m_oldHome); }
    OnSimulatedMac(const OnSimulatedMac &) = delete;
    OnSimulatedMac &operator=(const OnSimulatedMac &) = delete;

private:
    ScopedRunner m_scope;
    QByteArray m_oldHome;
};

// One whole scan as the window's scan flow runs it.
struct ScanOutcome {
    NetContext ctx;
    QList<Finding> findings;
    QStringList steps{};                  // each step as "NAME: id, id"
    std::optional<NetVerifyResult> web{}; // the last step's end-to-end test

    QStringList ids() const
    {
        QStringList list;
        for (const Finding &finding : findings)
            list << finding.id;
        return list;
    }

    std::optional<Finding> find(const QString &id) const
    {
        for (const Finding &finding : findings) {
            if (finding.id == id)
                return finding;
        }
        return std::nullopt;
    }
};

inline ScanOutcome scanOn(const SimulatedMac &mac, ScanPace pace = ScanPace::overlapped)
{
    OnSimulatedMac on(mac);
    DiagnosticsRun run(pace);
    run.ctx = DiagnosticsRun::buildContext();
    ScanOutcome outcome{run.ctx, {}, {}};
    StepSchedule steps(run);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QList<Finding> found = steps.findings(i);
        QStringList ids;
        for (const Finding &finding : found)
            ids << finding.id;
        outcome.steps << steps.name(i) + QStringLiteral(": ") + ids.join(QStringLiteral(", "));
        outcome.findings += found;
    }
    outcome.web = run.webResult();
    return outcome;
}

// A scenario file in `dir` that extends a built-in one with `changes`.
inline QString writeScenario(const QTemporaryDir &dir, const QString &name, QJsonObject changes)
{
    const QString path = dir.filePath(name + QStringLiteral(".json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QJsonDocument(changes).toJson());
    return path;
}

// The built-in `scenario` itself, or when `changes` has any, a file in `dir` that extends it
// with them.
inline QString changedScenario(const QTemporaryDir &dir, const QString &scenario,
                               QJsonObject changes)
{
    if (changes.isEmpty())
        return scenario;
    changes.insert(QStringLiteral("extends"), scenario);
    return writeScenario(dir, QStringLiteral("changed"), changes);
}

} // namespace brevik
