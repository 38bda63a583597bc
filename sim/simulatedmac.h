#pragma once

#include "sim/calllog.h"
#include "sim/macrunner.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace brevik {

// One simulated Mac: a folder holding the scenario's state (state.json), a home folder,
// a hosts file, the call log and a bin folder of links to the stand-in executable, one
// per macOS tool. The folder outlives the process, so consecutive runs (two `--guard`
// starts, a scan after a repair) see the same Mac.
class SimulatedMac {
public:
    // `nameOrPath`: a built-in scenario name or the path of a scenario file. Makes the
    // folder when it is missing, or afresh when `fresh` is set; otherwise reuses it as the
    // last run left it. The folder is $BREVIK_SIM_ROOT/NAME, or brevik-sim/NAME in the
    // temporary folder.
    static std::optional<SimulatedMac> open(const QString &nameOrPath, bool fresh,
                                            QString *error = nullptr);

    // Where the stand-in executable is: beside the running program, else where the build
    // put it.
    static QString standinPath();

    // The tool names the bin folder answers to.
    static QStringList toolNames();

    QString name() const { return m_name; }
    QString folder() const { return m_folder; }
    QString home() const;
    QString hostsFile() const;
    QString binDir() const;
    QString callLog() const;

    // A process runner whose commands meet the stand-ins first on PATH and whose macOS-only
    // absolute paths (/etc/hosts, the firewall tool) lead into the folder.
    std::shared_ptr<SimulatedMacRunner> makeRunner() const;

    // Makes this Mac the one every command of the process runs on, and the home folder
    // the process's home (QDir::homePath() and "~").
    void activate() const;

    QList<SimCall> calls() const;
    QJsonObject state() const;

    // Changes the state as a stand-in would (under the same lock); for tests that stage
    // an event such as a proxy client quitting.
    bool updateState(const std::function<bool(QJsonObject &)> &change) const;

private:
    SimulatedMac(QString name, QString folder);

    QString m_name;
    QString m_folder;
};

} // namespace brevik
