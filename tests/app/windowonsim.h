#pragma once

#include "app/window/mainwindow.h"
#include "appmodel/appmodel.h"
#include "exec/runner.h"
#include "guardian/proxyguardian.h"
#include "sim/simulatedmac.h"
#include "ui/content/contentview.h"

#include <memory>
#include <optional>

namespace brevik {

// One window on one fresh simulated Mac, as the application opens it. The guardian's timer
// is slowed down so that its second check (which would repair a residual proxy) stays out of
// the test. Background tasks publish only through the main thread's events: until a test
// lets them run, the window holds still in the middle of a scan or a repair.
class Window {
public:
    explicit Window(const QString &scenario)
        : m_mac(SimulatedMac::open(scenario, true)), m_scope(m_mac->makeRunner()),
          m_guardian(m_mac->home())
    {
        AppModel::Pacing pacing;
        pacing.guardInterval = std::chrono::hours(1);
        model = new AppModel(m_guardian, pacing);
        window = std::make_unique<MainWindow>(scenario, model);
        window->show();
    }
    // The window and its model go first; their tasks end on the guardian and the Mac below.
    ~Window()
    {
        window.reset();
        AppModel::waitForBackgroundWork(std::chrono::seconds(30));
    }

    bool settled() const
    {
        return model->lastScan() && !model->scanning() && !model->netChecking() &&
               model->netResult() && !model->fixingAll();
    }
    ContentView &content() const { return *window->content(); }
    template <typename T> T *part(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }

    AppModel *model = nullptr;
    std::unique_ptr<MainWindow> window;

private:
    std::optional<SimulatedMac> m_mac;
    ScopedRunner m_scope;
    ProxyGuardian m_guardian;
};

} // namespace brevik
