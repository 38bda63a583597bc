#include "app/window/windowapp.h"

#include "app/interrupts.h"
#include "app/window/mainwindow.h"
#include "app/window/startuptrace.h"
#include "appmodel/appmodel.h"
#include "i18n/language.h"
#ifdef BREVIK_SIMULATED_MAC
#include "sim/simulationmode.h"
#endif
#include "ui/kit/access/speakable.h"
#include "ui/kit/palette/theme.h"
#include "ui/kit/text/typography.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

#include <cstdio>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(WindowApp)
};

// How long quitting waits for a scan, repair or guardian check to end; a repair behind a
// password prompt would otherwise keep the process alive.
constexpr std::chrono::seconds kQuitGrace{2};

} // namespace

void setUpApplication(QApplication &app)
{
    // First of all: every text after this is made in the language chosen, Qt's own included.
    Languages::install(app, Languages::chosen(), true);
    QApplication::setApplicationName(QStringLiteral("Brevik"));
    QApplication::setApplicationVersion(QStringLiteral(BREVIK_VERSION));
    // Menus, dialogs and the text cursor in the window's own tones, light or dark.
    Theme::instance();
    // What a screen reader reads of the painted parts.
    installAccessibleInterfaces();
    QApplication::setFont(neuFont(13));
}

namespace {

int runWindow(int &argc, char **argv)
{
    QApplication app(argc, argv);
    setUpApplication(app);

    QString scenario;
#ifdef BREVIK_SIMULATED_MAC
    QString note;
    QString error;
    if (!enterSimulationFromEnvironment(&note, &error, &scenario)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        QMessageBox::critical(nullptr, QStringLiteral("Brevik"),
                              Texts::tr("无法打开模拟的 Mac：%1").arg(error));
        return 1;
    }
    if (!note.isEmpty())
        std::fprintf(stderr, "%s\n", note.toUtf8().constData());
#endif

    int status = 0;
    {
        MainWindow window(scenario);
        window.show();
        traceStartupIfAsked(window);
        status = QApplication::exec();
    }
    // The model is gone: its tasks drop what they would publish and end at their next step.
    AppModel::waitForBackgroundWork(kQuitGrace);
    return status;
}

} // namespace

int runWindowApp(int &argc, char **argv)
{
    // Before QApplication starts any thread, so that every thread leaves the interrupts to
    // the one that ends this module's commands.
    Interrupts::install();
    const int status = runWindow(argc, argv);
    Interrupts::awaitIfInterrupted();
    return status;
}

} // namespace brevik
