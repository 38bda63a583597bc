// Renders the window as it stands once the first scan and its internet test are done, and
// saves it as PNG: the pictures in docs/screenshots (scripts/screenshots.sh). It builds the
// window exactly as the application does, on the simulated Mac of BREVIK_SIMULATE.
//
//   brevik-screenshot OUT.png [WIDTHxHEIGHT] [--repair-all | --repair FIX-ID | --guard-rest]
//
// With --repair-all it then presses the repair-all button and waits for the batch and the
// rescan after it, so that the picture shows how a batch ends. With --repair it presses the
// repair button of the card whose repair is FIX-ID and waits for the repair and its internet
// test. With --guard-rest the guardian checks every 300 ms until it rests from a proxy.
//
// The guardian's timer is slowed down so that the picture shows the Mac as the scan found
// it, not after the guardian's second check has already repaired it.

#include "app/window/mainwindow.h"
#include "app/window/windowapp.h"
#include "appmodel/appmodel.h"
#include "guardian/proxyguardian.h"
#ifdef BREVIK_SIMULATED_MAC
#include "sim/simulationmode.h"
#endif
#include "ui/content/contentview.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPixmap>
#include <QRegularExpression>
#include <QThread>

#include <cstdio>

using namespace brevik;

namespace {

// `starting`: what the guardian's status says before its first check has ended.
bool settled(const AppModel &model, const QString &starting)
{
    return model.lastScan() && !model.scanning() && !model.netChecking() && model.netResult() &&
           model.guardStatus() != starting;
}

// Runs the events until `done` holds or `limit` passes.
bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    QDeadlineTimer deadline(limit);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    setUpApplication(app);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: brevik-screenshot OUT.png [WIDTHxHEIGHT] [--repair-all]\n");
        return 2;
    }
    QSize size(1220, 880);
    const QRegularExpressionMatch asked =
        QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(args.value(2));
    if (asked.hasMatch())
        size = QSize(asked.captured(1).toInt(), asked.captured(2).toInt());

    QString scenario;
#ifdef BREVIK_SIMULATED_MAC
    QString error;
    if (!enterSimulationFromEnvironment(nullptr, &error, &scenario)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
#endif
    AppModel::Pacing pacing;
    const bool guardRest = args.contains(QStringLiteral("--guard-rest"));
    pacing.guardInterval = guardRest ? std::chrono::milliseconds(300)
                                     : std::chrono::milliseconds(std::chrono::minutes(10));
    auto *model = new AppModel(ProxyGuardian::shared(), pacing);
    const QString starting = model->guardStatus();
    MainWindow window(scenario, model);
    window.show();
    // The size asked for is the content's, as on a Mac, where the menu bar is not in the
    // window.
    window.resize(size + window.size() - window.content()->size());
    if (!waitFor([&] { return settled(*model, starting); }, std::chrono::minutes(2))) {
        std::fprintf(stderr, "the scan did not end in time\n");
        return 1;
    }
    if (args.contains(QStringLiteral("--repair-all"))) {
        const QDateTime firstScan = *model->lastScan();
        model->fixAll();
        const bool batchEnded = waitFor(
            [&] {
                return model->batchReport() && model->lastScan() != firstScan &&
                       settled(*model, starting);
            },
            std::chrono::minutes(2));
        if (!batchEnded) {
            std::fprintf(stderr, "the batch and its rescan did not end in time\n");
            return 1;
        }
    }
    const qsizetype repair = args.indexOf(QStringLiteral("--repair"));
    if (repair > 0) {
        const QString fixId = args.value(repair + 1);
        const QList<Finding> findings = model->findings();
        const auto target = std::find_if(findings.cbegin(), findings.cend(), [&](const Finding &f) {
            return f.fix && f.fix->id == fixId;
        });
        if (target == findings.cend()) {
            std::fprintf(stderr, "no finding offers %s\n", qPrintable(fixId));
            return 1;
        }
        model->fix(*target);
        if (!waitFor([model] { return !model->fixingId() && !model->netChecking(); },
                     std::chrono::minutes(2))) {
            std::fprintf(stderr, "the repair did not end in time\n");
            return 1;
        }
    }
    if (guardRest && !waitFor([model] { return !model->guardRest().isEmpty(); },
                              std::chrono::minutes(2))) {
        std::fprintf(stderr, "the guardian did not rest in time\n");
        return 1;
    }
    // Let the last fades and the overlay's exit finish.
    QElapsedTimer pause;
    pause.start();
    waitFor([&pause] { return pause.elapsed() > 700; }, std::chrono::seconds(2));
    const QPixmap picture = window.content()->grab();
    if (!picture.save(args.at(1))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    std::printf("%s  %dx%d at %.0fx\n", qPrintable(args.at(1)), window.content()->width(),
                window.content()->height(), picture.devicePixelRatio());
    return 0;
}
