#include "diagnostics/fileedit.h"

#include "exec/shell.h"

namespace brevik {

namespace {

const QString kLead = QStringLiteral("(umask 077; set -C; f=");

// Written for /bin/sh, which runs the administrator's script. The backups are private
// (umask 077): a start-up file may hold tokens. "set -C" creates a free name with O_EXCL;
// a name already taken, by a file or a dangling link, moves on to the next number.
// BSD and GNU "sed -i" replace a link by a plain file, so the edit gets the link's target
// ("$t"). `edit` runs only once the backup is complete.
QString backupThen(const QString &pathWord, const QString &edit)
{
    return kLead + pathWord +
           QStringLiteral(
               "; b=\"$f.brevik.bak\"; n=0; "
               "until [ ! -e \"$b\" ] && [ ! -L \"$b\" ] && { : >\"$b\"; } 2>/dev/null; do "
               "if [ ! -e \"$b\" ] && [ ! -L \"$b\" ] || [ \"$n\" -ge 99 ]; then "
               "echo \"无法创建备份文件：$b\" >&2; exit 1; fi; "
               "n=$((n+1)); b=\"$f.brevik.bak.$n\"; done; "
               "cat -- \"$f\" >|\"$b\" || { rm -f -- \"$b\"; echo \"备份失败，未做修改：$f\" >&2; "
               "exit 1; }; "
               "t=$f; i=0; while [ -L \"$t\" ] && [ \"$i\" -lt 40 ]; do l=$(readlink -- \"$t\"); "
               "case $l in /*) t=$l;; *) t=${t%/*}/$l;; esac; i=$((i+1)); done; ") +
           edit + QStringLiteral(" && echo \"") + FileEdit::kBackupNote + QStringLiteral("$b\")");
}

} // namespace

namespace FileEdit {

QString backupThenSed(const QString &pathWord, const QStringList &expressions)
{
    QString script;
    for (const QString &expression : expressions)
        script += QStringLiteral(" -e ") + shellQuote(expression);
    // LC_ALL=C lets sed match lines holding bytes that are not UTF-8.
    return backupThen(pathWord,
                      QStringLiteral("LC_ALL=C sed -i '' -E") + script + QStringLiteral(" \"$t\""));
}

QString backupThenCopy(const QString &pathWord, const QString &sourceWord)
{
    // Written through, not replaced: the file keeps its owner and mode, a link stays a link.
    return backupThen(pathWord,
                      QStringLiteral("cat -- ") + sourceWord + QStringLiteral(" >|\"$t\""));
}

std::optional<QString> editedFile(const QString &command)
{
    if (!command.startsWith(kLead))
        return std::nullopt;
    const qsizetype end = command.indexOf(QStringLiteral("; b=\"$f.brevik.bak\""), kLead.size());
    if (end < 0)
        return std::nullopt;
    return command.mid(kLead.size(), end - kLead.size());
}

} // namespace FileEdit

} // namespace brevik
