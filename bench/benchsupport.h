#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace brevik {

// One finished child process: wall time and the peak resident memory of it and the
// children it waited for.
struct ChildRun {
    int code = -1;
    double ms = 0;
    long maxRssKb = 0;
};

// Starts `argv` with `env` (KEY=VALUE entries), discards its output, waits, measures.
ChildRun runChild(const QStringList &argv, const QStringList &env);

// The environment of this process as KEY=VALUE entries, with `set` laid over it.
QStringList environmentWith(const QStringList &set);

// An environment held as the C array that posix_spawn takes.
class SpawnEnvironment {
public:
    explicit SpawnEnvironment(const QStringList &entries);
    char *const *envp() const { return m_pointers.data(); }

private:
    std::vector<QByteArray> m_entries;
    std::vector<char *> m_pointers;
};

// What the runner does at least for one command, and nothing more: /bin/bash -c COMMAND in
// a process group of its own with default signals, stdout and stderr on one pipe read to
// its end, then a blocking waitpid. The exit status, or -1.
int spawnAndDrain(const QByteArray &command, const SpawnEnvironment &env);

double median(std::vector<double> values);

// Subject and baseline timed call by call: each pair runs the two in random order, so that
// neither side always gets the warmer caches or the quieter moment, and each pair gives
// one ratio. The spread of the ratios is the figure; one number alone would hide the noise.
struct PairedRuns {
    std::vector<double> subject; // one time per pair, in whatever unit the callers return
    std::vector<double> baseline;
    std::vector<double> ratio; // subject / baseline, pair by pair
};

PairedRuns runPaired(int pairs, const std::function<double()> &subject,
                     const std::function<double()> &baseline);

// A program (brevik in one of its modes) against a bash script as whole processes, paired
// like runPaired, in milliseconds; also the program's peak memory, and whether every run of
// either side exited with 0.
struct ProcessPairs {
    PairedRuns runs;
    long peakKb = 0;
    bool ok = true;
};

ProcessPairs pairProcesses(int pairs, const QStringList &argv, const QStringList &env,
                           const QString &script, const QStringList &scriptEnv);

// "label  min … median … max …  (goal …)" for the ratios, and the medians of both sides.
void printPaired(const char *subjectName, const char *baselineName, const char *unit,
                 const PairedRuns &runs, const char *goal);

// A bash script file holding `lines`, made executable; removed with the object.
class ScriptFile {
public:
    explicit ScriptFile(const QStringList &lines);
    ~ScriptFile();
    ScriptFile(const ScriptFile &) = delete;
    ScriptFile &operator=(const ScriptFile &) = delete;
    QString path() const { return m_path; }

private:
    QString m_path;
};

} // namespace brevik
