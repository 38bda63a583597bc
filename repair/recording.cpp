#include "repair/recording.h"

#include "diagnostics/recheck.h"
#include "repair/filestate.h"
#include "repair/opeffect.h"
#include "repair/settingio.h"

#include <QCoreApplication>

#include <algorithm>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(Recording)
};

// The backup a file edit reports as "原文件已备份为 PATH.brevik.bak[.N]", as a suffix of the
// recorded path: the printed path may be longer where the runner maps a system path
// elsewhere (the simulated Mac), and the record stays in the path's own terms.
QString backupNamed(const QString &log, const QString &path)
{
    for (const QString &line : log.split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(kBackupNote);
        if (at < 0)
            continue;
        const QString printed = line.mid(at + kBackupNote.size()).trimmed();
        const qsizetype suffix = printed.lastIndexOf(kBackupSuffix);
        if (suffix > 0 && printed.left(suffix).endsWith(path))
            return path + printed.mid(suffix);
    }
    return {};
}

QString bullets(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += QStringLiteral("\n  · ") + line;
    return text;
}

// The settings a run left different from before; all of them when they cannot be read.
QStringList changedSince(const JournalEntry &entry)
{
    QStringList changed;
    for (const RecordedSetting &setting : entry.settings) {
        const std::optional<QJsonValue> now = SettingIO::read(setting.key);
        if (!setting.before || !now || *now != *setting.before)
            changed << SettingIO::label(setting.key);
    }
    for (const RecordedFile &file : entry.files) {
        if (!file.checksumAfter.isEmpty() && file.checksumAfter != file.backupChecksum)
            changed << Texts::tr("文件 %1").arg(file.path);
    }
    return changed;
}

EntryEnd entryEnd(FixEnd end)
{
    switch (end) {
    case FixEnd::succeeded:
        return EntryEnd::succeeded;
    case FixEnd::notFixed:
        return EntryEnd::notFixed;
    case FixEnd::cancelled:
        return EntryEnd::cancelled;
    case FixEnd::failed:
        break;
    }
    return EntryEnd::failed;
}

// The check of every finding a repair succeeded for, run again on a fresh snapshot. A repair
// whose finding is still there did not do what it was for: it no longer counts as a success,
// and its log leads with what the check still finds.
void recheck(const QList<std::pair<JournalEntry *, FixResult *>> &repairs)
{
    QStringList ids;
    for (const auto &[entry, result] : repairs) {
        if (result->ok)
            ids << entry->findingId;
    }
    if (ids.isEmpty())
        return;
    const QList<Recheck::Verdict> verdicts = Recheck::run(ids);
    for (const auto &[entry, result] : repairs) {
        const auto verdict =
            std::find_if(verdicts.cbegin(), verdicts.cend(), [entry](const Recheck::Verdict &v) {
                return v.findingId == entry->findingId;
            });
        if (!result->ok || verdict == verdicts.cend())
            continue;
        entry->verdict = Recheck::line(*verdict);
        if (verdict->fixed) {
            result->fixedAt = verdict->at;
            result->log += QLatin1Char('\n') + entry->verdict;
            continue;
        }
        // "✅ 修复成功：HINT" gives way; the commands' own output stays below.
        const QString output = result->log.section(QLatin1Char('\n'), 1);
        result->ok = false;
        result->end = FixEnd::notFixed;
        result->log = Texts::tr("❌ 命令已执行，但%1").arg(entry->verdict) +
                      (output.isEmpty() ? QString() : QLatin1Char('\n') + output);
    }
}

} // namespace

namespace Recording {

namespace {

// Completes an entry written ahead; a log whose repair is not in the journal says so.
void record(const Journal &journal, JournalEntry &entry, FixResult &result,
            const QString &startProblem)
{
    finish(entry, result);
    const QString problem = startProblem.isEmpty() ? journal.finish(entry) : startProblem;
    if (!problem.isEmpty()) {
        result.recorded = false;
        result.log += notRecordedNote(problem);
    }
}

} // namespace

JournalEntry before(const QString &findingId, const FixAction &action, RepairOrigin origin,
                    const QList<RecordedSetting> &known, const Clock &clock)
{
    JournalEntry entry;
    entry.time = clock();
    entry.findingId = findingId;
    entry.repairId = action.id;
    entry.title = action.title;
    entry.origin = origin;
    entry.pid = QCoreApplication::applicationPid();
    entry.operations = action.operations;
    entry.needsAdmin = action.needsAdmin;
    for (const SettingKey &key : OpEffects::changedSettings(action.operations)) {
        const auto knownValue =
            std::find_if(known.cbegin(), known.cend(),
                         [&key](const RecordedSetting &s) { return s.key == key; });
        const std::optional<QJsonValue> value =
            knownValue != known.cend() ? knownValue->before : SettingIO::read(key);
        entry.settings << RecordedSetting{
            key, value, OpEffects::applied(key, value.value_or(QJsonValue()), action.operations)};
    }
    for (const RepairOp &op : action.operations) {
        const OpEffect effect = OpEffects::of(op);
        if (effect.type == OpEffect::Type::file) {
            const FileState::BeforeEdit state = FileState::beforeEdit(effect.path);
            entry.files << RecordedFile{effect.path, effect.path + state.backupSuffix,
                                        state.checksum, {}};
        } else if (effect.type == OpEffect::Type::oneTime && !entry.oneTime.contains(effect.what)) {
            entry.oneTime << effect.what;
        }
    }
    return entry;
}

void finish(JournalEntry &entry, FixResult &result)
{
    entry.end = entryEnd(result.end);
    for (RecordedFile &file : entry.files) {
        const QString backup = backupNamed(result.log, file.path);
        // What the repair left, so that an undo can tell whether someone changed it since.
        if (!backup.isEmpty()) {
            file.backup = backup;
            file.checksumAfter = FileState::checksum(file.path);
        }
    }
    if (!result.ok) {
        const QStringList changed = result.ranAny ? changedSince(entry) : QStringList();
        entry.changedNothing = changed.isEmpty();
        result.ranAny = !changed.isEmpty();
        // The prompt was cancelled, but what ran without it stays in force: say so, and which.
        const QString cancelled = FixEngine::cancelledLog();
        if (result.end == FixEnd::cancelled && !changed.isEmpty() &&
            result.log.endsWith(cancelled)) {
            result.log.chop(cancelled.size());
            result.log += Texts::tr("⚠️ 已取消授权。免密码方式已经做了以下改动，它们仍然有效"
                                    "（可在「修复记录」中撤销）：%1")
                              .arg(bullets(changed));
        }
    }
    entry.log = result.log;
}

FixResult apply(const Finding &finding, RepairOrigin origin, const Journal &journal)
{
    // A repair without operations runs nothing and changes nothing.
    if (!finding.fix || finding.fix->operations.isEmpty())
        return FixEngine::apply(finding.fix.value_or(FixAction{}));
    JournalEntry entry = before(finding.id, *finding.fix, origin);
    const QString problem = journal.start(entry);
    FixResult result = FixEngine::apply(*finding.fix);
    recheck({{&entry, &result}});
    record(journal, entry, result, problem);
    return result;
}

QMap<QString, FixResult> applyAll(const QList<Finding> &findings,
                                  const std::function<void(const QString &)> &progress,
                                  RepairOrigin origin, const Journal &journal)
{
    QList<JournalEntry> entries;
    QStringList problems;
    for (const Finding &finding : findings) {
        if (finding.fix && !finding.fix->operations.isEmpty()) {
            entries << before(finding.id, *finding.fix, origin);
            problems << journal.start(entries.last());
        }
    }
    QMap<QString, FixResult> results = FixEngine::applyAll(findings, progress);
    QList<std::pair<JournalEntry *, FixResult *>> repairs;
    for (JournalEntry &entry : entries) {
        const auto result = results.find(entry.findingId);
        if (result != results.end())
            repairs.append({&entry, &*result});
    }
    if (progress && !repairs.isEmpty())
        progress(Texts::tr("正在复查修复结果…"));
    recheck(repairs);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const auto result = results.find(entries.at(i).findingId);
        if (result != results.end())
            record(journal, entries[i], *result, problems.at(i));
    }
    return results;
}

QString notRecordedNote(const QString &reason)
{
    return QLatin1Char('\n') +
           Texts::tr("⚠️ 这次修复没能写入修复记录，无法通过「撤销」还原：%1").arg(reason);
}

} // namespace Recording

} // namespace brevik
