// brevik-sim: one executable for every macOS tool of the simulated Mac. It is called
// through links named after the tools and answers as the tool it was called as; each
// call is recorded in the simulation folder's call log.

#include "sim/calllog.h"
#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>

using namespace brevik;

namespace {

using ToolMain = int (*)(Sim &, const QStringList &);

const QHash<QString, ToolMain> &tools()
{
    static const QHash<QString, ToolMain> table{
        {"networksetup", networksetupMain},
        {"scutil", scutilMain},
        {"route", routeMain},
        {"netstat", netstatMain},
        {"ipconfig", ipconfigMain},
        {"ifconfig", ifconfigMain},
        {"arp", arpMain},
        {"ping", pingMain},
        {"nc", ncMain},
        {"curl", curlMain},
        {"dig", digMain},
        {"dscacheutil", dscacheutilMain},
        {"killall", killallMain},
        {"lsof", lsofMain},
        {"ps", psMain},
        {"system_profiler", systemProfilerMain},
        {"socketfilterfw", socketfilterfwMain},
        {"systemsetup", systemsetupMain},
        {"sntp", sntpMain},
        {"launchctl", launchctlMain},
        {"osascript", osascriptMain},
        {"date", dateMain},
        {"sed", sedMain},
    };
    return table;
}

} // namespace

int main(int argc, char **argv)
{
    const qint64 startMs = QDateTime::currentMSecsSinceEpoch();
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromUtf8(argv[i]);
    QString tool = QFileInfo(QString::fromUtf8(argv[0])).fileName();
    // Also callable as "brevik-sim TOOL ARGS…", which is handy by hand.
    if (!tools().contains(tool) && !args.isEmpty()) {
        tool = args.takeFirst();
    }
    const ToolMain entry = tools().value(tool);
    if (!entry) {
        err(QStringLiteral("brevik-sim: unknown tool \"%1\"\n").arg(tool));
        return 127;
    }
    Sim sim;
    QString error;
    if (!sim.attach(&error)) {
        err(QStringLiteral("brevik-sim: %1\n").arg(error));
        return 127;
    }
    // A slow Mac, or a password dialog left open for a while: the tool takes its time before it
    // does anything.
    sim.wait(sim.state().value(QStringLiteral("slowTools")).toObject().value(tool).toDouble(0));
    const int code = entry(sim, args);
    CallLog::append(sim.folder(), {tool, args, startMs, QDateTime::currentMSecsSinceEpoch(), code});
    return code;
}
