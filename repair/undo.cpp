#include "repair/undo.h"

#include "diagnostics/recheck.h"
#include "repair/filestate.h"
#include "repair/fixengine.h"
#include "repair/opeffect.h"
#include "repair/recording.h"
#include "repair/settingio.h"

#include <QHash>

#include <algorithm>

namespace brevik {

namespace {

constexpr qsizetype kNewestFirst = 64;

QString bullets(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += QStringLiteral("\n  · ") + line;
    return text;
}

QString cannotUndoText(const QStringList &cannotUndo)
{
    return cannotUndo.isEmpty() ? QString()
                                : QStringLiteral("\n以下改动无法撤销：") + bullets(cannotUndo);
}

QString entryName(const JournalEntry &entry)
{
    return QStringLiteral("#") + QString::number(entry.id) + QStringLiteral("「") + entry.title +
           QStringLiteral("」");
}

void planSettings(Undo::Plan &plan)
{
    for (const RecordedSetting &setting : plan.entry.settings) {
        const QString label = SettingIO::label(setting.key);
        const std::optional<QJsonValue> now = SettingIO::read(setting.key);
        plan.now << RecordedSetting{setting.key, now, {}};
        if (!setting.before) {
            plan.cannotUndo << label + QStringLiteral("：修复前的值没能读到");
            continue;
        }
        if (!now) {
            plan.cannotUndo << label + QStringLiteral("：现在读不到这项设置");
            continue;
        }
        const QList<RepairOp> restore =
            SettingIO::restore(setting.key, *setting.before, *now, &plan.cannotUndo);
        if (restore.isEmpty())
            continue;
        // Only what the repair left may be overwritten without asking.
        if (OpEffects::shows(*now, setting.after)) {
            plan.operations << restore;
            plan.restoring << label;
        } else {
            plan.overwrites << restore;
            plan.changedSince << label;
        }
    }
}

void planFiles(Undo::Plan &plan)
{
    for (const RecordedFile &file : plan.entry.files) {
        const QString label = QStringLiteral("文件 ") + file.path;
        // Earlier versions did not record what the backup held: nothing says it can be trusted.
        if (file.backupChecksum.isEmpty()) {
            plan.refusals << label + QStringLiteral("：记录里没有备份的校验值，无法确认备份 ") +
                                 file.backup + QStringLiteral(" 未被改动");
            continue;
        }
        const FileState::WithBackup state = FileState::withBackup(file.path, file.backup);
        if (state.checksum == file.backupChecksum)
            continue; // already as before
        if (state.backup == FileState::WithBackup::Backup::missing) {
            plan.refusals << label + QStringLiteral("：备份文件 ") + file.backup +
                                 QStringLiteral(" 不见了");
            continue;
        }
        if (state.backup == FileState::WithBackup::Backup::present &&
            state.backupChecksum != file.backupChecksum) {
            plan.refusals << label + QStringLiteral("：备份文件 ") + file.backup +
                                 QStringLiteral(" 在修复之后被改动过，不会用它还原");
            continue;
        }
        // A backup only the administrator may read is checked by the restoring script itself.
        const RepairOp restore = RepairOps::RestoreFile{file.path, file.backup, file.backupChecksum};
        // An interrupted edit left no checksum behind: what is there now is its doing.
        const bool asLeft = file.checksumAfter.isEmpty() ? !plan.entry.finished()
                                                         : state.checksum == file.checksumAfter;
        if (asLeft) {
            plan.operations << restore;
            plan.restoring << label;
        } else {
            plan.overwrites << restore;
            plan.changedSince << label;
        }
    }
}

// Whether anything of the entry could be restored at all, were it changed.
bool restorable(const JournalEntry &entry)
{
    return std::any_of(entry.settings.cbegin(), entry.settings.cend(),
                       [](const RecordedSetting &s) { return s.before.has_value(); }) ||
           !entry.files.isEmpty();
}

bool adminNeeded(const QList<RepairOp> &ops)
{
    return std::any_of(ops.cbegin(), ops.cend(), OpEffects::needsAdmin);
}

JournalEntry undoEntry(const Undo::Plan &plan, const FixAction &action, RepairOrigin origin)
{
    // The values read for the plan are the undo's own "before": no second query.
    JournalEntry undo = Recording::before(plan.entry.findingId, action, origin, plan.now);
    undo.undoes = plan.entry.id;
    return undo;
}

// An entry whose settings are all as before already is closed with an undo that changed
// nothing, so that "undo the last repair" moves on to the one before it.
Undo::Result closeAsBefore(const Undo::Plan &plan, RepairOrigin origin, const Journal &journal,
                           Undo::Result result)
{
    const FixAction nothing{.id = plan.entry.repairId,
                            .title = QStringLiteral("撤销 #") + QString::number(plan.entry.id) +
                                     QStringLiteral("：") + plan.entry.title};
    JournalEntry undo = undoEntry(plan, nothing, origin);
    undo.end = EntryEnd::succeeded;
    undo.log = result.text;
    QString problem = journal.start(undo);
    if (problem.isEmpty())
        problem = journal.finish(undo);
    if (problem.isEmpty())
        result.undoEntry = undo.id;
    return result;
}

} // namespace

namespace Undo {

QSet<qint64> undoneIds(const QList<JournalEntry> &entries)
{
    QSet<qint64> ids;
    QHash<qint64, qint64> takenBack; // undo → the entry it took back
    for (const JournalEntry &entry : entries) {
        if (!entry.undoes || !entry.ok() || !entry.unreadable.isEmpty())
            continue;
        ids.insert(*entry.undoes);
        takenBack.insert(entry.id, *entry.undoes);
        // Taking an undo back puts its entry's changes in force again.
        if (takenBack.contains(*entry.undoes))
            ids.remove(takenBack.value(*entry.undoes));
    }
    return ids;
}

bool undoable(const JournalEntry &entry)
{
    return entry.unreadable.isEmpty() && !(entry.finished() && entry.changedNothing);
}

bool listed(const JournalEntry &entry)
{
    return !(entry.origin == RepairOrigin::guardian && entry.finished() && entry.changedNothing);
}

std::optional<JournalEntry> latest(const QList<JournalEntry> &entries)
{
    const QSet<qint64> undone = undoneIds(entries);
    for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry) {
        if (!entry->undoes && !undone.contains(entry->id) && undoable(*entry))
            return *entry;
    }
    return std::nullopt;
}

std::optional<JournalEntry> find(const QList<JournalEntry> &entries, qint64 id)
{
    for (const JournalEntry &entry : entries) {
        if (entry.id == id)
            return entry;
    }
    return std::nullopt;
}

Plan plan(const JournalEntry &entry)
{
    Plan plan;
    plan.entry = entry;
    if (!entry.unreadable.isEmpty())
        return plan;
    planSettings(plan);
    planFiles(plan);
    for (const QString &what : entry.oneTime)
        plan.cannotUndo << what + QStringLiteral("：一次性操作");
    for (const QString &unknown : entry.unrecorded)
        plan.cannotUndo << QStringLiteral("改动未被记录：") + unknown;
    return plan;
}

Result run(const Plan &plan, bool force, RepairOrigin origin, const Journal &journal)
{
    const JournalEntry &entry = plan.entry;
    Result result;
    result.target = entry.id;
    result.changedSince = plan.changedSince;
    if (!entry.unreadable.isEmpty()) {
        result.status = Status::refused;
        result.text = QStringLiteral("❌ 不撤销 #") + QString::number(entry.id) +
                      QStringLiteral("：这条记录的内容不可信（") + entry.unreadable +
                      QStringLiteral("），不会据此改动任何设置。");
        return result;
    }
    if (!plan.refusals.isEmpty()) {
        result.status = Status::refused;
        result.text = QStringLiteral("❌ 未撤销 ") + entryName(entry) + QStringLiteral("：") +
                      bullets(plan.refusals);
        return result;
    }
    if (!plan.changedSince.isEmpty() && !force) {
        result.status = Status::refused;
        result.text = QStringLiteral("⚠️ 未撤销 ") + entryName(entry) +
                      QStringLiteral("：以下设置在这次修复之后又被改动过") +
                      bullets(plan.changedSince) +
                      QStringLiteral("\n确认要改回修复前的值时，请确认覆盖（命令行加 --force）。");
        return result;
    }
    const QList<RepairOp> ops = force ? plan.operations + plan.overwrites : plan.operations;
    if (ops.isEmpty()) {
        if (!restorable(entry)) {
            result.status = Status::nothingToUndo;
            result.text = QStringLiteral("⚠️ ") + entryName(entry) +
                          QStringLiteral("没有可以还原的设置") + cannotUndoText(plan.cannotUndo);
            return result;
        }
        result.status = Status::alreadyAsBefore;
        result.text = QStringLiteral("✅ 无需撤销 ") + entryName(entry) +
                      QStringLiteral("：相关设置已是修复前的值") + cannotUndoText(plan.cannotUndo);
        return closeAsBefore(plan, origin, journal, result);
    }

    const FixAction action{.id = entry.repairId,
                           .title = QStringLiteral("撤销 #") + QString::number(entry.id) +
                                    QStringLiteral("：") + entry.title,
                           .operations = ops,
                           .needsAdmin = adminNeeded(ops),
                           .fallbackAdmin = true,
                           .successHint = QStringLiteral("已还原修复前的设置")};
    JournalEntry undo = undoEntry(plan, action, origin);
    // An undo nobody could see afterwards would be taken back a second time: without the
    // journal, none runs.
    const QString problem = journal.start(undo);
    if (!problem.isEmpty()) {
        result.status = Status::failed;
        result.text = QStringLiteral("❌ 未撤销 ") + entryName(entry) +
                      QStringLiteral("：修复记录无法写入（") + problem + QStringLiteral("）");
        return result;
    }
    FixResult outcome = FixEngine::apply(action);
    // What the Mac looks like now that the repair is taken back: its finding is expected back.
    if (outcome.ok) {
        const QList<Recheck::Verdict> verdicts = Recheck::run({entry.findingId});
        if (!verdicts.isEmpty())
            undo.verdict = verdicts.first().fixed
                               ? QStringLiteral("复查：修复前的问题没有再出现")
                               : QStringLiteral("复查：检查又发现了「") +
                                     verdicts.first().still->title +
                                     QStringLiteral("」，与修复前一样");
    }
    Recording::finish(undo, outcome);
    const QString finishProblem = journal.finish(undo);
    result.undoEntry = undo.id;
    // A cancelled prompt after a direct attempt that changed nothing is a cancel all the same.
    if (outcome.end == FixEnd::cancelled && undo.changedNothing) {
        result.status = Status::cancelled;
        result.text = QStringLiteral("⚠️ 已取消授权，") + entryName(entry) +
                      QStringLiteral("没有撤销，未做任何修改。");
        return result;
    }
    const QStringList restored = force ? plan.restoring + plan.changedSince : plan.restoring;
    result.status = outcome.ok ? Status::restored : Status::failed;
    result.text = outcome.ok ? QStringLiteral("✅ 已撤销 ") + entryName(entry) +
                                   QStringLiteral("，已还原：") + bullets(restored)
                             : QStringLiteral("❌ 撤销 ") + entryName(entry) +
                                   QStringLiteral("未完成\n") + outcome.log;
    result.text += cannotUndoText(plan.cannotUndo);
    if (!undo.verdict.isEmpty())
        result.text += QLatin1Char('\n') + undo.verdict;
    if (!finishProblem.isEmpty())
        result.text += Recording::notRecordedNote(finishProblem);
    return result;
}

Result takeBack(const Journal &journal, std::optional<qint64> id, bool force, RepairOrigin origin)
{
    Result result;
    // The entry wanted is nearly always among the newest: read those first, the rest only
    // when it is not.
    Journal::Read read = journal.read(kNewestFirst);
    if (!read.error.isEmpty()) {
        result.text = QStringLiteral("❌ 无法读取修复记录：") + read.error;
        return result;
    }
    const auto wanted = [&id](const QList<JournalEntry> &entries) {
        return id ? find(entries, *id) : latest(entries);
    };
    if (!wanted(read.entries) && read.more)
        read = journal.read();
    const std::optional<JournalEntry> entry = wanted(read.entries);
    if (!entry) {
        result.status = Status::nothingToUndo;
        result.text = id ? QStringLiteral("⚠️ 修复记录里没有 #") + QString::number(*id)
                         : QStringLiteral("⚠️ 没有可以撤销的修复。");
        return result;
    }
    result.target = entry->id;
    // Under the change lock nobody else undoes: an undo that got in first is final.
    if (undoneIds(read.entries).contains(entry->id)) {
        result.status = Status::alreadyUndone;
        result.text = QStringLiteral("✅ ") + entryName(*entry) + QStringLiteral("已经撤销过了。");
        return result;
    }
    if (!undoable(*entry) && entry->unreadable.isEmpty()) {
        result.status = Status::nothingToUndo;
        result.text = QStringLiteral("⚠️ ") + entryName(*entry) +
                      QStringLiteral("没有做任何修改（授权已取消），无需撤销。");
        return result;
    }
    return run(plan(*entry), force, origin, journal);
}

bool running(const JournalEntry &entry, const std::optional<ChangeLock::Holder> &holder)
{
    return !entry.finished() && holder && holder->pid == entry.pid;
}

QString sign(const JournalEntry &entry, bool isRunning)
{
    if (!entry.unreadable.isEmpty())
        return QStringLiteral("⚠️");
    if (isRunning)
        return QStringLiteral("⏳");
    switch (entry.end) {
    case EntryEnd::succeeded:
        return QStringLiteral("✅");
    case EntryEnd::notFixed:
    case EntryEnd::failed:
        return QStringLiteral("❌");
    case EntryEnd::cancelled:
    case EntryEnd::none:
        break;
    }
    return QStringLiteral("⚠️");
}

QString summaryLine(const JournalEntry &entry, bool undone, bool isRunning)
{
    QString line = QStringLiteral("#") + QString::number(entry.id) + QStringLiteral("  ") +
                   entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                   QStringLiteral("  ") + originLabel(entry.origin) + QStringLiteral("  ") +
                   sign(entry, isRunning) + QLatin1Char(' ');
    if (!entry.unreadable.isEmpty())
        return line + QStringLiteral("无法读取的记录（") + entry.unreadable +
               QStringLiteral("），不会据此撤销");
    line += entry.title;
    if (isRunning)
        line += QStringLiteral("（进行中）");
    else if (!entry.finished())
        line += QStringLiteral("（中断：进程在完成前退出，可撤销）");
    else if (entry.changedNothing)
        line += QStringLiteral("（未做任何修改）");
    else if (!entry.verdict.isEmpty())
        line += QStringLiteral("（") + entry.verdict.section(QLatin1Char('\n'), 0, 0) +
                QStringLiteral("）");
    if (undone)
        line += QStringLiteral("（已撤销）");
    return line;
}

} // namespace Undo

} // namespace brevik
