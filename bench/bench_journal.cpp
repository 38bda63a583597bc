// The repair journal's costs, each measured beside its baseline in the same run:
// 1. A batch repair of the residual-proxy Mac (stand-ins answering at once) with the journal
//    written ahead, against the same batch without any journal, paired run by run in random
//    order; the commands recording adds must be one query per setting the batch changes.
// 2. The same batch with its records written ahead (before the first command, flushed, and
//    the outcome after) against the same records written once the batch is over.
// 3. `brevik --history` and `brevik --undo` with a 300 MB journal against a 1 KB one, as
//    whole processes: time and peak memory. The undo is the first write to that journal: it
//    cuts it back to its limit, and deleting what it drops is the file system's work, so the
//    undo is measured once more with a journal just under its limit (900 KB).
// Usage: bench_journal [pairs] [path of the brevik to measure]
#include "bench/benchsupport.h"
#include "bench/simbench.h"
#include "diagnostics/diagnosticsrun.h"
#include "exec/runner.h"
#include "repair/opeffect.h"
#include "repair/recording.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

using namespace brevik;

namespace {

class CountingRunner : public Runner {
public:
    explicit CountingRunner(std::shared_ptr<Runner> inner) : m_inner(std::move(inner)) {}
    ShellResult run(const QString &command, double timeout) override
    {
        ++m_count;
        return m_inner->run(command, timeout);
    }
    int count() const { return m_count; }

private:
    std::shared_ptr<Runner> m_inner;
    std::atomic<int> m_count{0};
};

struct Run {
    double ms = 0;
    int commands = 0;
};

enum class Recorded { none, ahead, after };

// One batch repair on a fresh residual-proxy Mac.
Run batch(const QList<Finding> &targets, Recorded recorded)
{
    const auto mac = SimulatedMac::open(QStringLiteral("residual-proxy"), true);
    if (!mac)
        return {};
    qputenv("HOME", mac->home().toUtf8());
    auto counter = std::make_shared<CountingRunner>(mac->makeRunner());
    ScopedRunner scope(counter);
    const Journal journal(Journal::pathIn(mac->home()), mac->home());
    QElapsedTimer timer;
    timer.start();
    if (recorded == Recorded::ahead) {
        Recording::applyAll(targets, {}, RepairOrigin::window, journal);
    } else if (recorded == Recorded::after) {
        // The same queries and records, all of them once the batch has run.
        QList<JournalEntry> entries;
        for (const Finding &finding : targets)
            entries << Recording::before(finding.id, *finding.fix, RepairOrigin::window);
        QMap<QString, FixResult> results = FixEngine::applyAll(targets, {});
        for (JournalEntry &entry : entries) {
            Recording::finish(entry, results[entry.findingId]);
            journal.start(entry);
            journal.finish(entry);
        }
    } else {
        FixEngine::applyAll(targets, {});
    }
    return {double(timer.nsecsElapsed()) / 1e6, counter->count()};
}

QByteArray record(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// A journal of about `size` bytes: repairs that changed nothing, then one that switched
// Wi-Fi's web proxy off (the healthy Mac has it on), which --undo takes back.
bool writeJournal(const QString &path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    JournalEntry filler;
    filler.time = QDateTime::currentDateTime();
    filler.title = QStringLiteral("关闭所有网络服务的系统代理");
    filler.repairId = QStringLiteral("fix-proxy-off-all");
    filler.end = EntryEnd::cancelled;
    filler.changedNothing = true;
    filler.log = QStringLiteral("⚠️ 已取消授权，未做任何修改。");
    qint64 id = 0;
    QByteArray block;
    for (qint64 written = 0; written < size;) {
        filler.id = ++id;
        block += record(filler.startRecord()) + record(filler.outcomeRecord());
        if (block.size() < 1000000 && written + block.size() < size)
            continue;
        if (file.write(block) != block.size())
            return false;
        written += block.size();
        block.clear();
    }
    JournalEntry last = filler;
    last.id = id + 1;
    last.end = EntryEnd::succeeded;
    last.changedNothing = false;
    last.settings << RecordedSetting{
        {SettingKind::webProxy, QStringLiteral("Wi-Fi")},
        QJsonValue(QJsonObject{{"enabled", false}, {"server", "127.0.0.1"}, {"port", "7890"}}),
        QJsonObject{{"enabled", true}, {"server", "127.0.0.1"}, {"port", "7890"}}};
    return file.write(record(last.startRecord()) + record(last.outcomeRecord())) > 0;
}

void reportProcesses(const QString &name, const PairedRuns &runs, long peakKb, const char *goal)
{
    printPaired(qPrintable(name), "the same with a 1 KB journal", "ms", runs, goal);
    std::printf("  peak RSS with the larger journal %.1f MB (goal: < 30 MB)\n",
                double(peakKb) / 1024.0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 15;
    const QString brevik =
        argc > 2 ? QString::fromLocal8Bit(argv[2])
                 : QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/brevik");
    QTemporaryDir root;
    const auto mac = openInstantMac(root, QStringLiteral("residual-proxy"));
    if (!mac)
        return 1;
    QList<Finding> targets;
    int changed = 0;
    {
        ScopedRunner scope(mac->makeRunner());
        DiagnosticsRun run;
        run.ctx = DiagnosticsRun::buildContext();
        for (const ScanStep &step : run.steps()) {
            for (const Finding &finding : step.run()) {
                if (finding.isProblem() && finding.fix) {
                    targets << finding;
                    changed += int(OpEffects::changedSettings(finding.fix->operations).size());
                }
            }
        }
    }

    Run plain, ahead;
    const PairedRuns withJournal = runPaired(
        pairs,
        [&] {
            ahead = batch(targets, Recorded::ahead);
            return ahead.ms;
        },
        [&] {
            plain = batch(targets, Recorded::none);
            return plain.ms;
        });
    const int added = ahead.commands - plain.commands;
    std::printf("repairs in the batch %lld, settings they change %d\n",
                static_cast<long long>(targets.size()), changed);
    std::printf("commands: %d without the journal, %d with it: %+d   (goal: +%d, one query per "
                "setting)\n",
                plain.commands, ahead.commands, added, changed);
    // Recording may cost what its queries cost, and little more.
    const QByteArray goal =
        QStringLiteral("median <= %1, the command count's ratio")
            .arg(double(ahead.commands) / std::max(1, plain.commands), 0, 'f', 2)
            .toUtf8();
    printPaired("batch repair, journal written ahead", "the same batch without it", "ms",
                withJournal, goal.constData());
    const PairedRuns aheadAfter = runPaired(
        pairs, [&] { return batch(targets, Recorded::ahead).ms; },
        [&] { return batch(targets, Recorded::after).ms; });
    printPaired("records written ahead", "the same records written after the batch", "ms",
                aheadAfter, "median <= 1.1");

    // The journal on the healthy Mac, large and small; each run starts from its own copy.
    QTemporaryDir journals;
    const QString large = journals.filePath(QStringLiteral("large.jsonl"));
    const QString small = journals.filePath(QStringLiteral("small.jsonl"));
    const QString nearLimit = journals.filePath(QStringLiteral("near-limit.jsonl"));
    if (!writeJournal(large, 300LL * 1000 * 1000) || !writeJournal(small, 1000) ||
        !writeJournal(nearLimit, 900 * 1000))
        return 1;
    std::printf("journals: %lld and %lld bytes\n", QFileInfo(large).size(),
                QFileInfo(small).size());
    const QStringList env = healthyMacEnvironment(root.path());
    bool ok = true;
    const auto mode = [&](const QStringList &args, long *peakKb) {
        return [&, args, peakKb](const QString &journal) {
            const auto healthy = openInstantHealthyMac(root);
            const QString path = Journal::pathIn(healthy->home());
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile::remove(path);
            QFile::copy(journal, path);
            // The copy's data on the disk first: the run's own flushes must not pay for it.
            ::sync();
            const ChildRun run = runChild(QStringList{brevik} + args, env);
            ok = ok && run.code == 0;
            if (peakKb && journal != small)
                *peakKb = std::max(*peakKb, run.maxRssKb);
            return run.ms;
        };
    };
    struct Case {
        QStringList args;
        QString journal;
        const char *goal;
    };
    const QList<Case> cases{
        {{QStringLiteral("--history")}, large, "median <= 2.0"},
        // Every entry the journal keeps (up to its limit) is printed: no goal against 1 KB.
        {{QStringLiteral("--history"), QStringLiteral("--all")}, large, "none, prints ~1 MB"},
        {{QStringLiteral("--undo")}, large, "median <= 2.0; deletes what the cut drops"},
        {{QStringLiteral("--undo")}, nearLimit, "median <= 2.0"},
    };
    for (const auto &[args, journal, goal] : cases) {
        long peakKb = 0;
        const auto run = mode(args, &peakKb);
        const PairedRuns runs =
            runPaired(pairs, [&, journal = journal] { return run(journal); },
                      [&] { return run(small); });
        reportProcesses(QStringLiteral("brevik ") + args.join(QLatin1Char(' ')) +
                            (journal == large ? QStringLiteral(", 300 MB journal")
                                              : QStringLiteral(", 900 KB journal")),
                        runs, peakKb, goal);
    }
    if (!ok)
        std::fprintf(stderr, "a run of brevik failed\n");
    return added == changed && ok ? 0 : 1;
}
