#pragma once

#include <QMainWindow>

namespace brevik {

class AppMenu;
class AppModel;
class ContentView;
class ViewMenu;

// The application's only window: titled "Brevik", 1220 × 880 at first, never smaller than
// its content allows (and never below 1080 × 720), with the menu bar.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    // `simulatedMac`: the scenario when the process runs on a simulated Mac, else empty.
    // `model`: the window's model, which it takes over; absent, it makes the product's.
    explicit MainWindow(const QString &simulatedMac = {}, AppModel *model = nullptr,
                        QWidget *parent = nullptr);

    ContentView *content() const { return m_content; }
    AppMenu *menu() const { return m_menu; }
    ViewMenu *viewMenu() const { return m_viewMenu; }

private:
    ContentView *m_content;
    AppMenu *m_menu;
    ViewMenu *m_viewMenu;
};

} // namespace brevik
