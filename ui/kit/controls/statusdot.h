#pragma once

#include "ui/kit/access/speakable.h"
#include "ui/kit/paint/relief.h"
#include "ui/kit/text/textrun.h"

#include <QWidget>

namespace brevik {

// A lamp and its label on a small pressed-in surface: green when on, red when off. A screen
// reader hears the label and the state in words ("直连：可达").
class StatusDot final : public QWidget, public Speakable {
    Q_OBJECT

public:
    explicit StatusDot(const QString &label = {}, bool on = false, QWidget *parent = nullptr);

    void setLabel(const QString &label);
    QString label() const { return m_label.text(); }
    void setOn(bool on);
    bool isOn() const { return m_on; }
    // What on and off mean here.
    void setStateWords(const QString &on, const QString &off);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    AccessibleFacts accessibleFacts() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintSurface(QPainter &painter) const;
    void paintContent(QPainter &painter) const;

    TextRun m_label;
    bool m_on;
    QString m_onWord;
    QString m_offWord;
    mutable ReliefMemo m_relief;
};

} // namespace brevik
