// One `brevik --guard` on a healthy simulated Mac against a bash script that runs the same
// three commands with the same tools and the same environment (the time scale included),
// paired run by run in random order; also the peak memory of the guard process.
//
// Twice: with the simulated Mac's stand-in, and with a near-free one (bench_fasttools, a
// tiny C program answering the three commands), so that the second ratio measures Brevik
// and not the simulated tools. Then, with the near-free stand-in, the same guard from
// brevik-linked, which links the window's code and QtWidgets instead of loading them from
// the window module, paired with brevik's own: what the module spares every start of the
// launch agent. Last, with the near-free stand-in, the guard in English (the catalogue of
// translations loaded, its texts looked up) paired with the guard in Chinese, the language the
// texts are written in, which installs no translator at all.
//
//   bench_guard [PAIRS]
#include "bench/benchsupport.h"
#include "bench/simbench.h"
#include "exec/shell.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace brevik;

namespace {

// The guard's three commands on a healthy Mac, exactly as it runs them.
QStringList guardScript()
{
    QStringList script;
    for (const QString &command :
         {QStringLiteral("scutil --proxy"), QStringLiteral("nc -z -G 1 127.0.0.1 7890 2>/dev/null"),
          QStringLiteral("ps -Ao comm= 2>/dev/null | grep -i -E "
                         "'clash|mihomo|surge|stash|verge|quantumult|sing-box|v2ray|xray|trojan' "
                         "| grep -v grep")}) {
        script << QStringLiteral("/bin/bash -c ") + shellQuote(command) +
                      QStringLiteral(" >/dev/null 2>&1");
    }
    return script;
}

// Runs the guard at `brevik` on the healthy Mac under `root` against the script; false if
// a run failed.
bool measure(const char *title, const QString &brevik, const QString &root, int pairs)
{
    const ScriptFile baseline(guardScript());
    const QStringList guardEnv = healthyMacEnvironment(root);
    // What the guard's runner gives each command on that Mac (SimulatedMac::makeRunner).
    const QString folder = root + QStringLiteral("/healthy");
    const QStringList scriptEnv =
        environmentWith({QStringLiteral("PATH=") + folder + QStringLiteral("/bin:") +
                             QString::fromLatin1(kCommandPath),
                         QStringLiteral("LC_ALL=") + QString::fromLatin1(kCommandLocale),
                         QStringLiteral("BREVIK_SIM_DIR=") + folder,
                         QStringLiteral("HOME=") + folder + QStringLiteral("/home")});

    const ProcessPairs measured = pairProcesses(pairs, {brevik, QStringLiteral("--guard")},
                                                guardEnv, baseline.path(), scriptEnv);
    std::printf("%s\n", title);
    printPaired("brevik --guard", "bash, same 3 commands", "ms", measured.runs, "median <= 1.5");
    std::printf("  peak RSS of a guard run %.1f MB (goal: < 40 MB)\n",
                double(measured.peakKb) / 1024.0);
    if (!measured.ok)
        std::fprintf(stderr, "a run failed\n");
    return measured.ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 30;
    const QString bench = QCoreApplication::applicationDirPath();
    const QString brevik = bench + QStringLiteral("/../bin/brevik");

    QTemporaryDir simRoot;
    const auto mac = openInstantHealthyMac(simRoot);
    if (!mac)
        return 1;
    bool ok = measure("bench_guard: healthy Mac, the simulated Mac's stand-ins", brevik,
                      simRoot.path(), pairs);

    // A copy of brevik with the near-free stand-in beside it, where brevik looks first for
    // the stand-in that its tool links point at.
    QTemporaryDir fastRoot;
    const QString fastBrevik = fastRoot.filePath(QStringLiteral("brevik"));
    if (!QFile::copy(brevik, fastBrevik) ||
        !QFile::copy(bench + QStringLiteral("/bench_fasttools"),
                     fastRoot.filePath(QStringLiteral("brevik-sim")))) {
        std::fprintf(stderr, "cannot copy brevik and bench_fasttools to %s\n",
                     qPrintable(fastRoot.path()));
        return 1;
    }
    const QString fastSimRoot = fastRoot.filePath(QStringLiteral("sim"));
    // The first run makes the simulation folder, its tools linked to the fast stand-in.
    if (runChild({fastBrevik, QStringLiteral("--guard")}, healthyMacEnvironment(fastSimRoot))
            .code != 0)
        return 1;
    ok = measure("bench_guard: healthy Mac, a near-free stand-in for the three tools", fastBrevik,
                 fastSimRoot, pairs) &&
         ok;

    const QString fastLinked = fastRoot.filePath(QStringLiteral("brevik-linked"));
    if (!QFile::copy(bench + QStringLiteral("/brevik-linked"), fastLinked))
        return 1;
    const QStringList env = healthyMacEnvironment(fastSimRoot);
    long linkedPeakKb = 0;
    const auto guard = [&](const QString &program, long *peakKb) {
        const ChildRun run = runChild({program, QStringLiteral("--guard")}, env);
        ok = ok && run.code == 0;
        if (peakKb)
            *peakKb = std::max(*peakKb, run.maxRssKb);
        return run.ms;
    };
    const PairedRuns linked = runPaired(
        pairs, [&] { return guard(fastLinked, &linkedPeakKb); },
        [&] { return guard(fastBrevik, nullptr); });
    std::printf("bench_guard: the window linked into the executable instead of loaded from its "
                "module, near-free stand-in\n");
    printPaired("brevik-linked --guard", "brevik --guard", "ms", linked,
                "none; the cost the window module spares");
    std::printf("  peak RSS of a linked guard run %.1f MB\n", double(linkedPeakKb) / 1024.0);

    const auto speaking = [&](const char *language) {
        return environmentWith({QStringLiteral("BREVIK_SIMULATE=healthy"),
                                QStringLiteral("BREVIK_SIM_ROOT=") + fastSimRoot,
                                QStringLiteral("BREVIK_LANG=") + QLatin1String(language)});
    };
    const QStringList english = speaking("en");
    const QStringList chinese = speaking("zh");
    const auto guardIn = [&](const QStringList &language) {
        const ChildRun run = runChild({fastBrevik, QStringLiteral("--guard")}, language);
        ok = ok && run.code == 0;
        return run.ms;
    };
    const PairedRuns translated = runPaired(
        pairs, [&] { return guardIn(english); }, [&] { return guardIn(chinese); });
    std::printf("bench_guard: the guard in English, its translations loaded, against the guard in "
                "Chinese with none, near-free stand-in\n");
    printPaired("brevik --guard, English", "brevik --guard, Chinese", "ms", translated,
                "median <= 1.05");
    return ok ? 0 : 1;
}
