#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One finished child process: wall time and the peak resident memory of it and the
// children it waited for.
struct ChildRun {
    int code = -1;
    double ms = 0;
    long maxRssKb = 0;
};

// Starts `argv` with `env` (KEY=VALUE entries), discards its output, waits, measures.
ChildRun runChild(const QStringList &argv, const QStringList &env);

double median(std::vector<double> values);

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
