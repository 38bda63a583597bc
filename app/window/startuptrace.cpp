#include "app/window/startuptrace.h"

#include "app/window/mainwindow.h"
#include "appmodel/appmodel.h"
#include "ui/content/contentview.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace brevik {

namespace {

class StartupTrace final : public QObject {
public:
    explicit StartupTrace(MainWindow &window) : QObject(&window), m_window(window)
    {
        window.content()->installEventFilter(this);
        connect(window.content()->model(), &AppModel::findingsChanged, this, [this] {
            if (!m_found && !m_window.content()->model()->findings().isEmpty()) {
                m_found = true;
                report("first finding");
            }
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The paint has only begun here; the line goes out once it is done.
        if (!m_painted && event->type() == QEvent::Paint) {
            m_painted = true;
            QTimer::singleShot(0, this, [this] {
                int windows = 0;
                for (const QWindow *window : QGuiApplication::topLevelWindows())
                    windows += window->isVisible() ? 1 : 0;
                report(QStringLiteral("first paint, %1 window(s)").arg(windows).toUtf8());
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void report(const QByteArray &what)
    {
        std::fprintf(stderr, "brevik-startup: %s\n", what.constData());
        std::fflush(stderr);
        // Each line comes once; the second one ends the start.
        if (++m_reported == 2)
            QCoreApplication::quit();
    }

    MainWindow &m_window;
    bool m_painted = false;
    bool m_found = false;
    int m_reported = 0;
};

} // namespace

void traceStartupIfAsked(MainWindow &window)
{
    if (qEnvironmentVariable("BREVIK_TRACE_STARTUP") == QLatin1String("1"))
        new StartupTrace(window);
}

} // namespace brevik
