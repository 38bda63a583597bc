#pragma once

#include <QStringList>

namespace brevik {

class Sim;

// One entry per macOS tool; each prints what the real tool prints about the simulated
// Mac and returns the real tool's exit code.
int networksetupMain(Sim &sim, const QStringList &args);
int scutilMain(Sim &sim, const QStringList &args);
int routeMain(Sim &sim, const QStringList &args);
int netstatMain(Sim &sim, const QStringList &args);
int ipconfigMain(Sim &sim, const QStringList &args);
int ifconfigMain(Sim &sim, const QStringList &args);
int arpMain(Sim &sim, const QStringList &args);
int pingMain(Sim &sim, const QStringList &args);
int ncMain(Sim &sim, const QStringList &args);
int curlMain(Sim &sim, const QStringList &args);
int digMain(Sim &sim, const QStringList &args);
int dscacheutilMain(Sim &sim, const QStringList &args);
int killallMain(Sim &sim, const QStringList &args);
int lsofMain(Sim &sim, const QStringList &args);
int psMain(Sim &sim, const QStringList &args);
int systemProfilerMain(Sim &sim, const QStringList &args);
int socketfilterfwMain(Sim &sim, const QStringList &args);
int systemsetupMain(Sim &sim, const QStringList &args);
int sntpMain(Sim &sim, const QStringList &args);
int launchctlMain(Sim &sim, const QStringList &args);
int osascriptMain(Sim &sim, const QStringList &args);
int dateMain(Sim &sim, const QStringList &args);
int sedMain(Sim &sim, const QStringList &args);

} // namespace brevik
