// One `brevik --guard` on the simulated Mac whose guardian log has grown to 100 MB (with line
// ends, and as one line without any), against the same run with a log of a few lines. The
// run reads the log's end and cuts it; what that costs shows in its time and peak memory.
// Usage: bench_guardlog [rounds] [path of the brevik to measure]
#include "bench/benchsupport.h"
#include "bench/simbench.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace brevik;

namespace {

constexpr qint64 kLargeLog = 100 * 1000 * 1000;

bool writeLog(const QString &path, qint64 size, bool lineEnds)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray block = lineEnds
                           ? QByteArray("2026-01-01 00:00:00  [守护] ⚠️ 发现残留代理 "
                                        "127.0.0.1:7890（无人监听）——确认中…\n")
                           : QByteArray(100, 'x');
    block = block.repeated(int(1000000 / block.size()));
    for (qint64 written = 0; written < size; written += block.size()) {
        if (file.write(block) != block.size())
            return false;
    }
    return true;
}

struct Figures {
    std::vector<double> ms;
    std::vector<double> rssMb;
};

void report(const char *name, const Figures &large, const Figures &small)
{
    std::vector<double> timeRatios, memoryRatios;
    for (size_t i = 0; i < large.ms.size(); ++i) {
        timeRatios.push_back(large.ms[i] / small.ms[i]);
        memoryRatios.push_back(large.rssMb[i] / small.rssMb[i]);
    }
    const auto [tMin, tMax] = std::minmax_element(timeRatios.begin(), timeRatios.end());
    const auto [mMin, mMax] = std::minmax_element(memoryRatios.begin(), memoryRatios.end());
    // Only the log's end is read, so a long log costs the memory of a short one. The run
    // also cuts the long log back, which costs time once; that time has no goal.
    std::printf("%-28s median %7.1f ms %7.1f MB   time ratio %.2f (%.2f-%.2f)   memory ratio "
                "%.2f (%.2f-%.2f, goal: median <= 1.1)\n",
                name, median(large.ms), median(large.rssMb), median(timeRatios), *tMin, *tMax,
                median(memoryRatios), *mMin, *mMax);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
    const QString brevik =
        argc > 2 ? QString::fromLocal8Bit(argv[2])
                 : QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/brevik");
    QTemporaryDir root;
    const auto mac = openInstantHealthyMac(root);
    if (!mac)
        return 1;
    const QString log = mac->home() + QStringLiteral("/Library/Logs/Brevik/guard.log");

    const QStringList env = healthyMacEnvironment(root.path());

    Figures small, lines, oneLine;
    const auto measure = [&](Figures &figures, qint64 size, bool lineEnds) {
        if (!writeLog(log, size, lineEnds))
            return false;
        const ChildRun run = runChild({brevik, QStringLiteral("--guard")}, env);
        figures.ms.push_back(run.ms);
        figures.rssMb.push_back(double(run.maxRssKb) / 1024.0);
        return run.code == 0;
    };
    for (int i = 0; i < rounds; ++i) {
        if (!measure(small, 1000, true) || !measure(lines, kLargeLog, true) ||
            !measure(oneLine, kLargeLog, false)) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
    }
    std::printf("log of a few lines            median %7.1f ms %7.1f MB   (baseline)\n",
                median(small.ms), median(small.rssMb));
    report("100 MB log, lines", lines, small);
    report("100 MB log, no line end", oneLine, small);
    std::printf("log after the last run: %lld bytes\n", QFileInfo(log).size());
    return 0;
}
