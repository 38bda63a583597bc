#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMainWindow;

namespace brevik {

class AppModel;

// The menu bar, built in this one place: the application menu (about, quit) and 文件 with
// the diagnosis report, copied or exported, and the repair history (undoing the last repair,
// the journal's dialog). On a Mac, Qt moves about and quit into the application menu by
// their roles; elsewhere they stay in 帮助 and 文件. No item opens a second window.
class AppMenu final : public QObject {
    Q_OBJECT

public:
    AppMenu(QMainWindow *window, AppModel *model, const QString &simulatedMac);

    QAction *copyReportAction() const { return m_copyReport; }
    QAction *exportReportAction() const { return m_exportReport; }

    // "复制诊断报告": what `brevik --scan` prints, for the findings the window shows.
    void copyReport() const;
    // "导出诊断报告…": asks where, then writes Markdown, or JSON for a name ending in ".json".
    void exportReport();

private:
    void followModel();
    void showAbout();

    QMainWindow *m_window;
    AppModel *m_model;
    QString m_simulatedMac;
    QAction *m_copyReport;
    QAction *m_exportReport;
};

} // namespace brevik
