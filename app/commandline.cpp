#include "app/commandline.h"

CommandLine CommandLine::parse(const QStringList &arguments)
{
    // The program's own name is not an argument.
    const QStringList args = arguments.mid(1);
    CommandLine line;
    line.json = args.contains(QStringLiteral("--json"));
    const QList<QPair<QString, Mode>> order{
        {QStringLiteral("--guard"), Mode::guard},
        {QStringLiteral("--guard-status"), Mode::guardStatus},
        {QStringLiteral("--install-agent"), Mode::installAgent},
        {QStringLiteral("--uninstall-agent"), Mode::uninstallAgent},
        {QStringLiteral("--scan"), Mode::scan},
        {QStringLiteral("--fix"), Mode::fix},
    };
    for (const auto &[name, mode] : order) {
        const qsizetype at = args.indexOf(name);
        if (at < 0)
            continue;
        line.mode = mode;
        if (mode == Mode::fix)
            line.fixId = args.value(at + 1);
        return line;
    }
    return line;
}
