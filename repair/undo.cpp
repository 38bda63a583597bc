#include "repair/undo.h"

#include "diagnostics/recheck.h"
#include "repair/filestate.h"
#include "repair/fixengine.h"
#include "repair/opeffect.h"
#include "repair/recording.h"
#include "repair/settingio.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(Undo)
};

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
    return cannotUndo.isEmpty()
               ? QString()
               : QLatin1Char('\n') + Texts::tr("以下改动无法撤销：%1").arg(bullets(cannotUndo));
}

QString entryName(const JournalEntry &entry)
{
    return Texts::tr("#%1「%2」").arg(QString::number(entry.id), entry.title);
}

void planSettings(Undo::Plan &plan)
{
    for (const RecordedSetting &setting : plan.entry.settings) {
        const QString label = SettingIO::label(setting.key);
        const std::optional<QJsonValue> now = SettingIO::read(setting.key);
        plan.now << RecordedSetting{setting.key, now, {}};
        if (!setting.before) {
            plan.cannotUndo << Texts::tr("%1：修复前的值没能读到").arg(label);
            continue;
        }
        if (!now) {
            plan.cannotUndo << Texts::tr("%1：现在读不到这项设置").arg(label);
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
        const QString label = Texts::tr("文件 %1").arg(file.path);
        // Earlier versions did not record what the backup held: nothing says it can be trusted.
        if (file.backupChecksum.isEmpty()) {
            plan.refusals
                << Texts::tr("%1：记录里没有备份的校验值，无法确认备份 %2 未被改动")
                       .arg(label, file.backup);
            continue;
        }
        const FileState::WithBackup state = FileState::withBackup(file.path, file.backup);
        if (state.checksum == file.backupChecksum)
            continue; // already as before
        if (state.backup == FileState::WithBackup::Backup::missing) {
            plan.refusals << Texts::tr("%1：备份文件 %2 不见了").arg(label, file.backup);
            continue;
        }
        if (state.backup == FileState::WithBackup::Backup::present &&
            state.backupChecksum != file.backupChecksum) {
            plan.refusals << Texts::tr("%1：备份文件 %2 在修复之后被改动过，不会用它还原")
                                 .arg(label, file.backup);
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

// The title of the undo of `entry`.
QString undoTitle(const JournalEntry &entry)
{
    return Texts::tr("撤销 #%1：%2").arg(QString::number(entry.id), entry.title);
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
    const FixAction nothing{.id = plan.entry.repairId, .title = undoTitle(plan.entry)};
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
        plan.cannotUndo << Texts::tr("%1：一次性操作").arg(what);
    for (const QString &unknown : entry.unrecorded)
        plan.cannotUndo << Texts::tr("改动未被记录：%1").arg(unknown);
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
        result.text = Texts::tr("❌ 不撤销 #%1：这条记录的内容不可信（%2），不会据此改动任何设置。")
                          .arg(QString::number(entry.id), entry.unreadable);
        return result;
    }
    if (!plan.refusals.isEmpty()) {
        result.status = Status::refused;
        result.text = Texts::tr("❌ 未撤销 %1：%2").arg(entryName(entry), bullets(plan.refusals));
        return result;
    }
    if (!plan.changedSince.isEmpty() && !force) {
        result.status = Status::refused;
        result.text = Texts::tr("⚠️ 未撤销 %1：以下设置在这次修复之后又被改动过%2")
                          .arg(entryName(entry), bullets(plan.changedSince)) +
                      QLatin1Char('\n') +
                      Texts::tr("确认要改回修复前的值时，请确认覆盖（命令行加 --force）。");
        return result;
    }
    const QList<RepairOp> ops = force ? plan.operations + plan.overwrites : plan.operations;
    if (ops.isEmpty()) {
        if (!restorable(entry)) {
            result.status = Status::nothingToUndo;
            result.text = Texts::tr("⚠️ %1没有可以还原的设置").arg(entryName(entry)) +
                          cannotUndoText(plan.cannotUndo);
            return result;
        }
        result.status = Status::alreadyAsBefore;
        result.text = Texts::tr("✅ 无需撤销 %1：相关设置已是修复前的值").arg(entryName(entry)) +
                      cannotUndoText(plan.cannotUndo);
        return closeAsBefore(plan, origin, journal, result);
    }

    const FixAction action{.id = entry.repairId,
                           .title = undoTitle(entry),
                           .operations = ops,
                           .needsAdmin = adminNeeded(ops),
                           .fallbackAdmin = true,
                           .successHint = Texts::tr("已还原修复前的设置")};
    JournalEntry undo = undoEntry(plan, action, origin);
    // An undo nobody could see afterwards would be taken back a second time: without the
    // journal, none runs.
    const QString problem = journal.start(undo);
    if (!problem.isEmpty()) {
        result.status = Status::failed;
        result.text =
            Texts::tr("❌ 未撤销 %1：修复记录无法写入（%2）").arg(entryName(entry), problem);
        return result;
    }
    FixResult outcome = FixEngine::apply(action);
    // What the Mac looks like now that the repair is taken back: its finding is expected back.
    if (outcome.ok) {
        const QList<Recheck::Verdict> verdicts = Recheck::run({entry.findingId});
        if (!verdicts.isEmpty())
            undo.verdict = verdicts.first().fixed
                               ? Texts::tr("复查：修复前的问题没有再出现")
                               : Texts::tr("复查：检查又发现了「%1」，与修复前一样")
                                     .arg(verdicts.first().still->title);
    }
    Recording::finish(undo, outcome);
    const QString finishProblem = journal.finish(undo);
    result.undoEntry = undo.id;
    // A cancelled prompt after a direct attempt that changed nothing is a cancel all the same.
    if (outcome.end == FixEnd::cancelled && undo.changedNothing) {
        result.status = Status::cancelled;
        result.text = Texts::tr("⚠️ 已取消授权，%1没有撤销，未做任何修改。").arg(entryName(entry));
        return result;
    }
    const QStringList restored = force ? plan.restoring + plan.changedSince : plan.restoring;
    result.status = outcome.ok ? Status::restored : Status::failed;
    result.text = outcome.ok ? Texts::tr("✅ 已撤销 %1，已还原：%2")
                                   .arg(entryName(entry), bullets(restored))
                             : Texts::tr("❌ 撤销 %1未完成").arg(entryName(entry)) +
                                   QLatin1Char('\n') + outcome.log;
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
        result.text = Texts::tr("❌ 无法读取修复记录：%1").arg(read.error);
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
        result.text = id ? Texts::tr("⚠️ 修复记录里没有 #%1").arg(*id)
                         : Texts::tr("⚠️ 没有可以撤销的修复。");
        return result;
    }
    result.target = entry->id;
    // Under the change lock nobody else undoes: an undo that got in first is final.
    if (undoneIds(read.entries).contains(entry->id)) {
        result.status = Status::alreadyUndone;
        result.text = Texts::tr("✅ %1已经撤销过了。").arg(entryName(*entry));
        return result;
    }
    if (!undoable(*entry) && entry->unreadable.isEmpty()) {
        result.status = Status::nothingToUndo;
        result.text =
            Texts::tr("⚠️ %1没有做任何修改（授权已取消），无需撤销。").arg(entryName(*entry));
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
        return line + Texts::tr("无法读取的记录（%1），不会据此撤销").arg(entry.unreadable);
    line += entry.title;
    if (isRunning)
        line += Texts::tr("（进行中）");
    else if (!entry.finished())
        line += Texts::tr("（中断：进程在完成前退出，可撤销）");
    else if (entry.changedNothing)
        line += Texts::tr("（未做任何修改）");
    else if (!entry.verdict.isEmpty())
        line += Texts::tr("（%1）").arg(entry.verdict.section(QLatin1Char('\n'), 0, 0));
    if (undone)
        line += Texts::tr("（已撤销）");
    return line;
}

} // namespace Undo

} // namespace brevik
