#pragma once

#include "ui/kit/palette/theme.h"

#include <QImage>
#include <QTest>
#include <QWidget>

namespace brevik {

// A window in the background tone: the widgets under test sit in it at a distance from
// its edges, so that their shadows have somewhere to fall and show in grab().
class Backdrop : public QWidget {
public:
    Backdrop()
    {
        fillWithBackground(this);
        resize(400, 300);
    }

    bool showAndWait()
    {
        show();
        return QTest::qWaitForWindowExposed(this);
    }
};

// Sum of the three channels: higher is lighter.
inline int brightness(QRgb pixel)
{
    return qRed(pixel) + qGreen(pixel) + qBlue(pixel);
}

// Whether two colours agree within `tolerance` per channel.
inline bool near(QColor a, QColor b, int tolerance = 3)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

// A part of a composite widget, found by its object name.
template <typename T> T *part(const QWidget &root, const char *name)
{
    return root.findChild<T *>(QLatin1String(name));
}

// Whether the named part exists and shows whenever `root` does.
inline bool shown(const QWidget &root, const char *name)
{
    const QWidget *widget = part<QWidget>(root, name);
    return widget && widget->isVisibleTo(&root);
}

} // namespace brevik
