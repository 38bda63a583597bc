#pragma once

#include "exec/runner.h"

#include <QList>
#include <QPair>
#include <QString>

#include <memory>

namespace brevik {

// Runs every command on a simulated Mac through another runner: the stand-ins come first on
// PATH, the simulation's folder and home are in the environment, and the few absolute macOS
// paths a command may name (/etc/hosts, the firewall tool) lead into the folder.
class SimulatedMacRunner : public Runner {
public:
    struct Setting {
        QString binDir;
        QList<QPair<QString, QString>> paths;       // macOS path → its place in the folder
        QList<QPair<QString, QString>> environment; // variables each command gets
    };

    SimulatedMacRunner(std::shared_ptr<Runner> inner, Setting setting);

    ShellResult run(const QString &command, double timeoutSeconds) override;
    ShellResult runText(const QString &command, double timeoutSeconds) override;

    // The command with the macOS paths replaced, as the stand-ins receive it.
    QString mapPaths(const QString &command) const;

    // The full text handed to the inner runner.
    QString rewrite(const QString &command) const;

    const Setting &setting() const { return m_setting; }

private:
    std::shared_ptr<Runner> m_inner;
    Setting m_setting;
    QString m_prologue;
};

} // namespace brevik
