#pragma once

#include <QString>
#include <QStringList>

// What the process was started to do. The four guardian switches are tested first, in
// this order, then the two terminal modes; an argument must equal a switch exactly.
struct CommandLine {
    enum class Mode { window, guard, guardStatus, installAgent, uninstallAgent, scan, fix };

    Mode mode = Mode::window;
    bool json = false; // --scan --json
    QString fixId;     // the argument after --fix; empty when missing

    static CommandLine parse(const QStringList &arguments);
};
