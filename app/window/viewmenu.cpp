#include "app/window/viewmenu.h"

#include "ui/content/contentview.h"
#include "ui/content/filterbar.h"
#include "ui/content/headerbar.h"
#include "ui/content/internetbanner.h"
#include "ui/kit/controls/neubutton.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>

namespace brevik {

ViewMenu::ViewMenu(QMainWindow *window, ContentView *content)
    : QObject(window), m_rescanButton(content->header()->rescanButton()),
      m_testButton(content->banner()->testButton())
{
    auto *menu = new QMenu(tr("显示"), window);
    auto *group = new QActionGroup(this);
    group->setExclusive(true);
    int key = Qt::Key_1;
    for (FilterMode mode : allFilterModes()) {
        QAction *action = menu->addAction(rawValue(mode));
        action->setCheckable(true);
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(key++)));
        group->addAction(action);
        connect(action, &QAction::triggered, content,
                [content, mode] { content->setFilter(mode); });
        m_filters << action;
    }
    menu->addSeparator();
    m_rescan = pressing(m_rescanButton, tr("重新扫描"), QKeySequence(Qt::CTRL | Qt::Key_R));
    m_test = pressing(m_testButton, tr("重新测试上网"), QKeySequence(Qt::CTRL | Qt::Key_T));
    menu->addAction(m_rescan);
    menu->addAction(m_test);

    connect(content->filterBar(), &FilterBar::filterChanged, this, &ViewMenu::followFilter);
    followFilter(content->filter());

    // After 文件, the first menu, and before any other.
    QMenuBar *bar = window->menuBar();
    const QList<QAction *> menus = bar->actions();
    bar->insertMenu(menus.size() > 1 ? menus.at(1) : nullptr, menu);
}

QAction *ViewMenu::pressing(QAbstractButton *button, const QString &title, const QKeySequence &keys)
{
    auto *action = new QAction(title, this);
    action->setShortcut(keys);
    action->setEnabled(button->isEnabled());
    connect(action, &QAction::triggered, button, &QAbstractButton::click);
    button->installEventFilter(this);
    return action;
}

bool ViewMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        if (watched == m_rescanButton)
            m_rescan->setEnabled(m_rescanButton->isEnabled());
        else if (watched == m_testButton)
            m_test->setEnabled(m_testButton->isEnabled());
    }
    return QObject::eventFilter(watched, event);
}

QAction *ViewMenu::filterAction(FilterMode mode) const
{
    return m_filters.value(allFilterModes().indexOf(mode));
}

void ViewMenu::followFilter(FilterMode mode)
{
    if (QAction *action = filterAction(mode))
        action->setChecked(true);
}

} // namespace brevik
