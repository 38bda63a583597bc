// One `brevik --guard` on the simulated Mac against a bash script that runs the same three
// stand-in commands, interleaved in one run; also the peak memory of the guard process.
#include "bench/benchsupport.h"
#include "bench/simbench.h"
#include "exec/runner.h"
#include "exec/shell.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 30;
    QTemporaryDir root;
    const auto mac = openInstantHealthyMac(root);
    if (!mac)
        return 1;
    const QString brevik =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/brevik");

    // The guard's three commands on a healthy Mac, exactly as it runs them.
    const auto runner = mac->makeRunner();
    QStringList script;
    for (QString command :
         {QStringLiteral("scutil --proxy"), QStringLiteral("nc -z -G 1 127.0.0.1 7890 2>/dev/null"),
          QStringLiteral("ps -Ao comm= 2>/dev/null | grep -i -E "
                         "'clash|mihomo|surge|stash|verge|quantumult|sing-box|v2ray|xray|trojan' "
                         "| grep -v grep")}) {
        script << QStringLiteral("/bin/bash -c ") + shellQuote(command) +
                      QStringLiteral(" >/dev/null 2>&1");
    }
    const ScriptFile baseline(script);

    const QStringList env = healthyMacEnvironment(root);
    QStringList scriptEnv{QStringLiteral("PATH=") + mac->binDir() + QLatin1Char(':') +
                              QString::fromLatin1(kCommandPath),
                          QStringLiteral("LC_ALL=") + QString::fromLatin1(kCommandLocale),
                          QStringLiteral("BREVIK_SIM_DIR=") + mac->folder(),
                          QStringLiteral("HOME=") + mac->home()};

    std::vector<double> guardMs, scriptMs;
    long peakKb = 0;
    for (int i = 0; i < rounds; ++i) {
        const ChildRun g = runChild({brevik, QStringLiteral("--guard")}, env);
        const ChildRun s = runChild({QStringLiteral("/bin/bash"), baseline.path()}, scriptEnv);
        if (g.code != 0 || s.code != 0) {
            std::fprintf(stderr, "a run failed: guard %d, script %d\n", g.code, s.code);
            return 1;
        }
        guardMs.push_back(g.ms);
        scriptMs.push_back(s.ms);
        peakKb = std::max(peakKb, g.maxRssKb);
    }
    const double g = median(guardMs), s = median(scriptMs);
    std::printf("brevik --guard            median %.1f ms\n", g);
    std::printf("bash, same 3 commands     median %.1f ms\n", s);
    std::printf("ratio guard/script        %.3f (goal <= 1.5)\n", g / s);
    std::printf("peak RSS of the guard run %.1f MB (goal < 40 MB)\n", double(peakKb) / 1024.0);
    return 0;
}
