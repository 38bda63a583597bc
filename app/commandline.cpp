#include "app/commandline.h"

namespace brevik {

CommandLine CommandLine::parse(const QStringList &arguments)
{
    // The program's own name is not an argument.
    const QStringList args = arguments.mid(1);
    CommandLine line;
    line.json = args.contains(QStringLiteral("--json"));
    line.force = args.contains(QStringLiteral("--force"));
    line.all = args.contains(QStringLiteral("--all"));
    const QList<QPair<QString, Mode>> order{
        {QStringLiteral("--guard"), Mode::guard},
        {QStringLiteral("--guard-status"), Mode::guardStatus},
        {QStringLiteral("--install-agent"), Mode::installAgent},
        {QStringLiteral("--uninstall-agent"), Mode::uninstallAgent},
        {QStringLiteral("--scan"), Mode::scan},
        {QStringLiteral("--fix"), Mode::fix},
        {QStringLiteral("--history"), Mode::history},
        {QStringLiteral("--undo"), Mode::undo},
    };
    for (const auto &[name, mode] : order) {
        const qsizetype at = args.indexOf(name);
        if (at < 0)
            continue;
        line.mode = mode;
        if (mode == Mode::fix)
            line.fixId = args.value(at + 1);
        const QString next = args.value(at + 1);
        if (mode == Mode::undo && !next.isEmpty() && !next.startsWith(QLatin1String("--"))) {
            bool number = false;
            const qint64 id = next.toLongLong(&number);
            line.undoId = number && id > 0 ? id : 0;
        }
        return line;
    }
    return line;
}

} // namespace brevik
