#include "repair/undo.h"

#include "diagnostics/fileedit.h"
#include "exec/shell.h"
#include "repair/commandeffect.h"
#include "repair/fixengine.h"
#include "repair/recording.h"
#include "repair/settingio.h"

#include <QHash>

namespace brevik {

namespace {

constexpr double kChecksumTimeout = 10.0;

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

// The undo asks for the password when it restores what only an administrator may change:
// a setting of that kind, or a file that the repair itself edited with administrator rights.
bool adminNeeded(const QStringList &commands, bool repairHadAdmin)
{
    for (const QString &command : commands) {
        const CommandEffect effect = CommandEffects::of(command);
        if (effect.type == CommandEffect::Type::setting &&
            SettingIO::needsAdmin(effect.write.key.kind))
            return true;
        if (effect.type == CommandEffect::Type::fileEdit && repairHadAdmin)
            return true;
    }
    return false;
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
        const QStringList restore =
            SettingIO::restore(setting.key, *setting.before, *now, &plan.cannotUndo);
        if (restore.isEmpty())
            continue;
        // Only what the repair left may be overwritten without asking.
        if (CommandEffects::shows(*now, setting.after)) {
            plan.commands << restore;
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
        if (file.backup.isEmpty()) {
            plan.cannotUndo << label + QStringLiteral("：修复没有留下备份");
            continue;
        }
        // One query for both: the file as it is now, and the backup it would get back.
        const QString backupWord = shellQuote(file.backup);
        const QStringList sums =
            SettingIO::lines(shell(QStringLiteral("cksum < ") + file.pathWord +
                                       QStringLiteral("; cksum < ") + backupWord,
                                   kChecksumTimeout)
                                 .output);
        if (sums.size() == 2 && sums.first() == sums.last())
            continue; // already as before
        const QString restore = FileEdit::backupThenCopy(file.pathWord, backupWord);
        if (!sums.isEmpty() && sums.first() == file.checksum) {
            plan.commands << restore;
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
    for (const RecordedSetting &setting : entry.settings) {
        if (setting.before)
            return true;
    }
    for (const RecordedFile &file : entry.files) {
        if (!file.backup.isEmpty())
            return true;
    }
    return false;
}

} // namespace

namespace Undo {

QSet<qint64> undoneIds(const QList<JournalEntry> &entries)
{
    QSet<qint64> ids;
    QHash<qint64, qint64> takenBack; // undo → the entry it took back
    for (const JournalEntry &entry : entries) {
        if (!entry.undoes || !entry.ok)
            continue;
        ids.insert(*entry.undoes);
        takenBack.insert(entry.id, *entry.undoes);
        // Taking an undo back puts its entry's changes in force again.
        if (takenBack.contains(*entry.undoes))
            ids.remove(takenBack.value(*entry.undoes));
    }
    return ids;
}

std::optional<JournalEntry> latest(const QList<JournalEntry> &entries)
{
    const QSet<qint64> undone = undoneIds(entries);
    for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry) {
        // A cancelled prompt changed nothing: there is nothing of it to take back.
        if (!entry->undoes && !undone.contains(entry->id) &&
            !entry->log.startsWith(QStringLiteral("⚠️")))
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
    planSettings(plan);
    planFiles(plan);
    for (const QString &what : entry.oneTime)
        plan.cannotUndo << what + QStringLiteral("：一次性操作");
    for (const QString &command : entry.unrecorded)
        plan.cannotUndo << QStringLiteral("改动未被记录的命令：") + command;
    return plan;
}

Result run(const Plan &plan, bool force, RepairOrigin origin, const Journal &journal)
{
    const JournalEntry &entry = plan.entry;
    Result result;
    result.changedSince = plan.changedSince;
    if (!plan.changedSince.isEmpty() && !force) {
        result.status = Status::refused;
        result.text = QStringLiteral("⚠️ 未撤销 ") + entryName(entry) +
                      QStringLiteral("：以下设置在这次修复之后又被改动过") +
                      bullets(plan.changedSince) +
                      QStringLiteral("\n确认要改回修复前的值时，请确认覆盖（命令行加 --force）。");
        return result;
    }
    const QStringList commands = force ? plan.commands + plan.overwrites : plan.commands;
    if (commands.isEmpty()) {
        const bool any = restorable(entry);
        result.status = any ? Status::alreadyAsBefore : Status::nothingToUndo;
        result.text = (any ? QStringLiteral("✅ 无需撤销 ") + entryName(entry) +
                                 QStringLiteral("：相关设置已是修复前的值")
                           : QStringLiteral("⚠️ ") + entryName(entry) +
                                 QStringLiteral("没有可以还原的设置")) +
                      cannotUndoText(plan.cannotUndo);
        return result;
    }

    const FixAction action{.id = entry.repairId,
                           .title = QStringLiteral("撤销 #") + QString::number(entry.id) +
                                    QStringLiteral("：") + entry.title,
                           .commands = commands,
                           .needsAdmin = adminNeeded(commands, entry.needsAdmin),
                           .fallbackAdmin = true,
                           .successHint = QStringLiteral("已还原修复前的设置")};
    // The values read for the plan are the undo's own "before": no second query.
    JournalEntry undo = Recording::before(entry.findingId, action, origin, plan.now);
    undo.undoes = entry.id;
    const FixResult outcome = FixEngine::apply(action);
    if (outcome.log.startsWith(QStringLiteral("⚠️"))) {
        result.status = Status::cancelled;
        result.text = QStringLiteral("⚠️ 已取消授权，") + entryName(entry) +
                      QStringLiteral("没有撤销，未做任何修改。");
        return result;
    }
    Recording::finish(undo, outcome.ok, outcome.log);
    result.undoEntry = journal.append(undo);
    const QStringList restored = force ? plan.restoring + plan.changedSince : plan.restoring;
    result.status = outcome.ok ? Status::restored : Status::failed;
    result.text = outcome.ok ? QStringLiteral("✅ 已撤销 ") + entryName(entry) +
                                   QStringLiteral("，已还原：") + bullets(restored)
                             : QStringLiteral("❌ 撤销 ") + entryName(entry) +
                                   QStringLiteral("未完成\n") + outcome.log;
    result.text += cannotUndoText(plan.cannotUndo);
    return result;
}

QString sign(const JournalEntry &entry)
{
    if (entry.ok)
        return QStringLiteral("✅");
    return entry.log.startsWith(QStringLiteral("⚠️")) ? QStringLiteral("⚠️")
                                                          : QStringLiteral("❌");
}

QString summaryLine(const JournalEntry &entry, bool undone)
{
    QString line = QStringLiteral("#") + QString::number(entry.id) + QStringLiteral("  ") +
                   entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                   QStringLiteral("  ") + originLabel(entry.origin) + QStringLiteral("  ") +
                   sign(entry) + QLatin1Char(' ') + entry.title;
    if (undone)
        line += QStringLiteral("（已撤销）");
    return line;
}

} // namespace Undo

} // namespace brevik
