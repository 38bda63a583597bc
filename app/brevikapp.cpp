#include "app/brevikapp.h"

#include "app/commandline.h"
#include "app/interrupts.h"
#include "app/terminalmodes.h"
#include "app/windowloader.h"
#include "i18n/language.h"
#ifdef BREVIK_SIMULATED_MAC
#include "sim/simulationmode.h"
#endif

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace brevik {

namespace {

QStringList arguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

[[maybe_unused]] void printError(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

} // namespace

int BrevikApp::run(int argc, char **argv)
{
    // The switches are read before any application object exists: a terminal mode must
    // never load or show anything of the window, and the window makes its own. The window
    // module also runs its commands through its own copy of the runner, which alone knows
    // the commands to end on an interrupt: it takes the interrupts itself.
    const CommandLine line = CommandLine::parse(arguments(argc, argv));
    if (line.mode == CommandLine::Mode::window)
        return WindowLoader::run(argc, argv);
    Interrupts::install();
    const int status = runMode(line, argc, argv);
    Interrupts::awaitIfInterrupted();
    return status;
}

int BrevikApp::runMode(const CommandLine &line, int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Brevik"));
    // Before any text is made: the launch agent's runs choose as the window and the terminal do.
    Languages::install(app, Languages::chosen());

#ifdef BREVIK_SIMULATED_MAC
    QString note;
    QString error;
    if (!enterSimulationFromEnvironment(&note, &error)) {
        printError(error);
        return 1;
    }
    if (!note.isEmpty())
        printError(note);
#endif

    using Mode = CommandLine::Mode;
    switch (line.mode) {
    case Mode::guard:
        return TerminalModes::guard();
    case Mode::guardStatus:
        return TerminalModes::guardStatus();
    case Mode::installAgent:
        return TerminalModes::installAgent();
    case Mode::uninstallAgent:
        return TerminalModes::uninstallAgent();
    case Mode::scan:
        return TerminalModes::scan(line.json);
    case Mode::fix:
        return TerminalModes::fix(line.fixId);
    case Mode::history:
        return TerminalModes::history(line.all);
    case Mode::undo:
        return TerminalModes::undo(line.undoId, line.force);
    case Mode::window:
        break;
    }
    return 0;
}

} // namespace brevik
