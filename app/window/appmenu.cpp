#include "app/window/appmenu.h"

#include "app/scanreport.h"
#include "app/window/reportfile.h"
#include "appmodel/appmodel.h"
#include "ui/history/historydialog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStandardPaths>

namespace brevik {

namespace {

bool onMac()
{
    return QGuiApplication::platformName() == QLatin1String("cocoa");
}

} // namespace

AppMenu::AppMenu(QMainWindow *window, AppModel *model, const QString &simulatedMac)
    : QObject(window), m_window(window), m_model(model), m_simulatedMac(simulatedMac),
      m_copyReport(new QAction(tr("复制诊断报告"), this)),
      m_exportReport(new QAction(tr("导出诊断报告…"), this))
{
    m_copyReport->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    m_exportReport->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(m_copyReport, &QAction::triggered, this, &AppMenu::copyReport);
    connect(m_exportReport, &QAction::triggered, this, &AppMenu::exportReport);

    auto *about = new QAction(tr("关于 Brevik"), this);
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &AppMenu::showAbout);
    auto *quit = new QAction(tr("退出 Brevik"), this);
    quit->setMenuRole(QAction::QuitRole);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    QMenuBar *bar = window->menuBar();
    QMenu *file = bar->addMenu(tr("文件"));
    file->addAction(m_copyReport);
    file->addAction(m_exportReport);
    file->addSeparator();
    addRepairHistoryActions(file, model, window);
    file->addSeparator();
    file->addAction(quit);
    // A Mac takes "about" into the application menu; elsewhere it has a menu of its own.
    if (onMac())
        file->addAction(about);
    else
        bar->addMenu(tr("帮助"))->addAction(about);

    connect(model, &AppModel::scanningChanged, this, &AppMenu::followModel);
    connect(model, &AppModel::lastScanChanged, this, &AppMenu::followModel);
    followModel();
}

void AppMenu::followModel()
{
    // A report needs a finished scan: while one runs, its findings are still coming in.
    const bool ready = m_model->lastScan().has_value() && !m_model->scanning();
    m_copyReport->setEnabled(ready);
    m_exportReport->setEnabled(ready);
}

void AppMenu::copyReport() const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(toText(reportOf(*m_model)));
}

void AppMenu::exportReport()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString stamp =
        m_model->lastScan().value_or(m_model->now()).toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString markdown = QStringLiteral("Markdown (*.md)");
    const QString json = QStringLiteral("JSON (*.json)");
    QString chosenFilter = markdown;
    QString path = QFileDialog::getSaveFileName(
        m_window, tr("导出诊断报告"),
        QDir(folder).filePath(tr("Brevik 诊断报告 %1").arg(stamp) + QStringLiteral(".md")),
        markdown + QStringLiteral(";;") + json, &chosenFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += chosenFilter == json ? QStringLiteral(".json") : QStringLiteral(".md");
    QString error;
    if (!writeReport(path, reportOf(*m_model), m_simulatedMac, &error)) {
        QMessageBox::warning(m_window, tr("导出失败"), tr("无法写入 %1：%2").arg(path, error));
    }
}

void AppMenu::showAbout()
{
    QString text = QStringLiteral("Brevik %1\n\n").arg(QCoreApplication::applicationVersion()) +
                   tr("找出 Mac 上不了网、连不上 AI 服务的原因，并修复它。");
    if (!m_simulatedMac.isEmpty())
        text += QStringLiteral("\n\n") +
                tr("当前运行在模拟的 Mac（场景 %1）上，不会改动这台电脑。").arg(m_simulatedMac);
    text += QStringLiteral("\n\n") + tr("图标：Material Symbols（Apache License 2.0）");
    QMessageBox::about(m_window, tr("关于 Brevik"), text);
}

} // namespace brevik
