#include "repair/filestate.h"

#include "exec/shell.h"

#include <QRegularExpression>

namespace brevik {

namespace {

constexpr double kTimeout = 10.0;

QString word(const QString &path)
{
    return shellQuote(path);
}

// "3015617425 6": what cksum prints for its standard input.
QString checksumIn(const QString &line)
{
    static const QRegularExpression shape(QStringLiteral("^[0-9]{1,10} [0-9]{1,15}$"));
    const QString trimmed = line.trimmed();
    return shape.match(trimmed).hasMatch() ? trimmed : QString();
}

} // namespace

namespace FileState {

BeforeEdit beforeEdit(const QString &path)
{
    // The same choice the edit's own script makes: the first backup while there is none, then
    // one more than the highest number (numbers of ten digits and more are not ours).
    const ShellResult result = shell(
        QStringLiteral("f=") + word(path) +
            QStringLiteral(
                "; cksum < \"$f\" 2>/dev/null || echo -; b=.brevik.bak; "
                "if [ -e \"$f$b\" ] || [ -L \"$f$b\" ]; then m=0; "
                "for x in \"$f.brevik.bak.\"*; do k=${x##*.}; "
                "case $k in ''|*[!0-9]*|??????????*) ;; *) [ \"$k\" -gt \"$m\" ] && m=$k;; esac; "
                "done; b=.brevik.bak.$((m+1)); fi; echo \"$b\""),
        kTimeout);
    const QStringList lines = result.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    BeforeEdit state;
    state.checksum = checksumIn(lines.value(0));
    const QString suffix = lines.value(1).trimmed();
    state.backupSuffix = suffix.startsWith(QLatin1String(".brevik.bak")) ? suffix
                                                                          : QStringLiteral(".brevik.bak");
    return state;
}

WithBackup withBackup(const QString &path, const QString &backup)
{
    const ShellResult result =
        shell(QStringLiteral("cksum < ") + word(path) + QStringLiteral(" 2>/dev/null || echo -; s=") +
                  word(backup) +
                  QStringLiteral("; if [ -L \"$s\" ] || [ ! -f \"$s\" ]; then echo missing; "
                                 "else cksum < \"$s\" 2>/dev/null || echo unreadable; fi"),
              kTimeout);
    const QStringList lines = result.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    WithBackup state;
    state.checksum = checksumIn(lines.value(0));
    const QString second = lines.value(1).trimmed();
    if (second == QLatin1String("missing")) {
        state.backup = WithBackup::Backup::missing;
    } else if (!checksumIn(second).isEmpty()) {
        state.backup = WithBackup::Backup::present;
        state.backupChecksum = checksumIn(second);
    } else {
        state.backup = WithBackup::Backup::unreadable;
    }
    return state;
}

QString checksum(const QString &path)
{
    return checksumIn(shell(QStringLiteral("cksum < ") + word(path), kTimeout).output);
}

} // namespace FileState

} // namespace brevik
