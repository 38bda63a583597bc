#pragma once

#include "ui/kit/access/speakable.h"
#include "ui/kit/motion/motion.h"
#include "ui/kit/paint/relief.h"

#include <QWidget>

namespace brevik {

// Lies over the whole window while a scan or a batch repair runs: the window dimmed in its
// background tone, and in the middle a raised panel with the progress and what is being
// done. It takes the clicks meant for what lies beneath. It draws everything itself, so
// a new progress text or value repaints only the panel.
//
// Object name "busyOverlay".
class BusyOverlay final : public QWidget, public Speakable {
    Q_OBJECT

public:
    explicit BusyOverlay(QWidget *parent);

    // Shown at once; its drawing fades in and out.
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }
    void setProgress(double value, const QString &text);
    double progress() const { return m_value.target(); }
    QString text() const { return m_text; }

    // A progress bar, its text as its name.
    AccessibleFacts accessibleFacts() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF panelRect() const;
    QRectF barRect() const;
    QRectF textRect() const;
    qreal textHeight() const;
    void paintShadow(QPainter &painter) const;
    void paintSurface(QPainter &painter) const;
    void paintContent(QPainter &painter) const;

    bool m_busy = false;
    QString m_text;
    QFont m_font;
    AnimatedValue m_opacity;
    AnimatedValue m_value;
    mutable ReliefMemo m_panelShadow;
    mutable ReliefMemo m_track;
};

} // namespace brevik
