#pragma once

#include "ui/kit/palette/palette.h"

#include <QObject>
#include <QPalette>
#include <QPointer>

#include <initializer_list>
#include <optional>

class QWidget;
class QWindow;

namespace brevik {

// Decides whether the window is drawn light or dark, and keeps everything in step when that
// changes: the palette roles painters read, the palettes bound below, the application's
// palette (menus, dialogs) and a repaint of every widget.
//
// The choice is BREVIK_APPEARANCE ("light" or "dark") when it is set, else the system's: on
// Qt 6.5 and later its colour scheme; before that, whether its palette is dark. One instance
// for the process, made on first use on the main thread.
class Theme final : public QObject {
    Q_OBJECT

public:
    static Theme &instance();

    Appearance appearance() const { return currentAppearance(); }
    // Draws in `appearance` whatever the system says, or (nothing) follows the system again.
    // For tests and screenshots; BREVIK_APPEARANCE does the same from the start.
    void force(std::optional<Appearance> appearance);
    // Listens to `window` for the system's appearance changing (before Qt 6.5 the system
    // tells only its windows). Watching the same window again does nothing.
    void watch(QWindow *window);

signals:
    void appearanceChanged(Appearance appearance);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Theme();
    void followSystem();
    void apply(Appearance appearance);

    std::optional<Appearance> m_forced;
    QPointer<QWindow> m_watched;
};

// "light" or "dark", in any case; nothing for anything else.
std::optional<Appearance> appearanceNamed(const QString &name);

// Whether a platform palette is a dark one: its window darker than its text.
bool paletteLooksDark(const QPalette &palette);

// The application's palette in `appearance`: what the platform's style draws menus, dialogs
// and text cursors with.
QPalette applicationPalette(Appearance appearance);

// One colour of a widget's own palette bound to a palette role, set again whenever the
// appearance changes. `ink` takes the role's text colour.
struct PaletteBinding {
    QPalette::ColorRole target = QPalette::WindowText;
    NeuRole role = neuText;
    bool ink = false;
    qreal opacity = 1;
};
void bindPalette(QWidget *widget, std::initializer_list<PaletteBinding> bindings);

// Fills the widget's background with neuBg, in whichever appearance.
void fillWithBackground(QWidget *widget);

} // namespace brevik
