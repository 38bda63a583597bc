#include "app/window/mainwindow.h"

#include "app/window/appmenu.h"
#include "app/window/viewmenu.h"
#include "appmodel/appmodel.h"
#include "ui/content/contentview.h"

namespace brevik {

MainWindow::MainWindow(const QString &simulatedMac, AppModel *model, QWidget *parent)
    : QMainWindow(parent), m_content(model ? new ContentView(model) : new ContentView)
{
    setWindowTitle(QStringLiteral("Brevik"));
    m_content->setSimulatedMac(simulatedMac);
    setCentralWidget(m_content);
    m_menu = new AppMenu(this, m_content->model(), simulatedMac);
    m_viewMenu = new ViewMenu(this, m_content);
    // The minimum follows the layout (the content never goes below 1080 × 720), so only
    // the first size is set here.
    resize(1220, 880);
}

} // namespace brevik
