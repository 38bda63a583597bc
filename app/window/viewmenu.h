#pragma once

#include "model/category.h"

#include <QObject>

class QAbstractButton;
class QAction;
class QMainWindow;

namespace brevik {

class ContentView;

// The 显示 menu: the filter (⌘1 全部, ⌘2 待修复, ⌘3 正常项, the one shown checked), then
// 重新扫描 (⌘R) and 重新测试上网 (⌘T). Those two press the window's own buttons and are
// enabled exactly when the buttons are. It stands after 文件, where a Mac puts its View menu.
class ViewMenu final : public QObject {
    Q_OBJECT

public:
    ViewMenu(QMainWindow *window, ContentView *content);

    QAction *filterAction(FilterMode mode) const;
    QAction *rescanAction() const { return m_rescan; }
    QAction *testAction() const { return m_test; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *pressing(QAbstractButton *button, const QString &title, const QKeySequence &keys);
    void followFilter(FilterMode mode);

    QList<QAction *> m_filters; // in the order of allFilterModes()
    QAction *m_rescan = nullptr;
    QAction *m_test = nullptr;
    QAbstractButton *m_rescanButton;
    QAbstractButton *m_testButton;
};

} // namespace brevik
