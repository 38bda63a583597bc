#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// What the process was started to do. The four guardian switches are tested first, in
// this order, then the terminal modes; an argument must equal a switch exactly.
struct CommandLine {
    enum class Mode {
        window,
        guard,
        guardStatus,
        installAgent,
        uninstallAgent,
        scan,
        fix,
        history,
        undo
    };

    Mode mode = Mode::window;
    bool json = false;  // --scan --json
    QString fixId;      // the argument after --fix; empty when missing
    bool force = false; // --undo --force: overwrite settings changed since the repair
    bool all = false;   // --history --all: every entry the journal keeps, not the newest only
    // --undo N: the journal entry to take back; none for the last repair. Zero when the
    // argument after --undo is neither a switch nor an entry number.
    std::optional<qint64> undoId;

    static CommandLine parse(const QStringList &arguments);
};

} // namespace brevik
