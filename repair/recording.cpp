#include "repair/recording.h"

#include "diagnostics/fileedit.h"
#include "exec/shell.h"
#include "repair/commandeffect.h"
#include "repair/settingio.h"

#include <algorithm>

namespace brevik {

namespace {

constexpr double kChecksumTimeout = 10.0;

// A shell word as the command has it, without its quotes ('/Users/a b/.zshrc').
QString unquoted(const QString &word)
{
    if (word.size() < 2 || !word.startsWith(QLatin1Char('\'')))
        return word;
    return word.mid(1, word.size() - 2).replace(QStringLiteral("'\\''"), QStringLiteral("'"));
}

// The backup a file edit reports as "原文件已备份为 PATH.brevik.bak[.N]". The printed path
// may be longer than the recorded one where the runner maps a system path elsewhere; the
// backup is kept in the recorded path's terms, so later commands get mapped the same way.
QString backupNamed(const QString &log, const QString &path)
{
    for (const QString &line : log.split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(FileEdit::kBackupNote);
        if (at < 0)
            continue;
        const QString printed = line.mid(at + FileEdit::kBackupNote.size()).trimmed();
        const qsizetype suffix = printed.lastIndexOf(QStringLiteral(".brevik.bak"));
        if (suffix > 0 && printed.left(suffix).endsWith(path))
            return path + printed.mid(suffix);
    }
    return {};
}

} // namespace

namespace Recording {

JournalEntry before(const QString &findingId, const FixAction &action, RepairOrigin origin,
                    const QList<RecordedSetting> &known, const Clock &clock)
{
    JournalEntry entry;
    entry.time = clock();
    entry.findingId = findingId;
    entry.repairId = action.id;
    entry.title = action.title;
    entry.origin = origin;
    entry.commands = action.commands;
    entry.needsAdmin = action.needsAdmin;
    for (const SettingKey &key : CommandEffects::changedSettings(action.commands)) {
        const auto knownValue =
            std::find_if(known.cbegin(), known.cend(),
                         [&key](const RecordedSetting &s) { return s.key == key; });
        const std::optional<QJsonValue> value =
            knownValue != known.cend() ? knownValue->before : SettingIO::read(key);
        entry.settings << RecordedSetting{
            key, value,
            CommandEffects::applied(key, value.value_or(QJsonValue()), action.commands)};
    }
    for (const QString &command : action.commands) {
        const CommandEffect effect = CommandEffects::of(command);
        if (effect.type == CommandEffect::Type::fileEdit)
            entry.files << RecordedFile{effect.fileWord, unquoted(effect.fileWord), {}, {}};
        else if (effect.type == CommandEffect::Type::oneTime &&
                 !entry.oneTime.contains(effect.what))
            entry.oneTime << effect.what;
        else if (effect.type == CommandEffect::Type::unknown)
            entry.unrecorded << command;
    }
    return entry;
}

void finish(JournalEntry &entry, bool ok, const QString &log)
{
    entry.ok = ok;
    entry.log = log;
    for (RecordedFile &file : entry.files) {
        file.backup = backupNamed(log, file.path);
        // What the repair left, so that an undo can tell whether someone changed it since.
        if (!file.backup.isEmpty())
            file.checksum = shell(QStringLiteral("cksum < ") + file.pathWord, kChecksumTimeout)
                                .output.trimmed();
    }
}

FixResult apply(const Finding &finding, RepairOrigin origin, const Journal &journal)
{
    // A repair without commands runs nothing and changes nothing.
    if (!finding.fix || finding.fix->commands.isEmpty())
        return FixEngine::apply(finding.fix.value_or(FixAction{}));
    JournalEntry entry = before(finding.id, *finding.fix, origin);
    const FixResult result = FixEngine::apply(*finding.fix);
    finish(entry, result.ok, result.log);
    journal.append(entry);
    return result;
}

QMap<QString, QString> applyAll(const QList<Finding> &findings,
                                const std::function<void(const QString &)> &progress,
                                RepairOrigin origin, const Journal &journal)
{
    QList<JournalEntry> entries;
    for (const Finding &finding : findings) {
        if (finding.fix && !finding.fix->commands.isEmpty())
            entries << before(finding.id, *finding.fix, origin);
    }
    const QMap<QString, QString> logs = FixEngine::applyAll(findings, progress);
    for (JournalEntry &entry : entries) {
        const QString log = logs.value(entry.findingId);
        finish(entry, log.startsWith(QStringLiteral("✅")), log);
        journal.append(entry);
    }
    return logs;
}

} // namespace Recording

} // namespace brevik
