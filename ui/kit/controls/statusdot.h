#pragma once

#include "ui/kit/paint/relief.h"
#include "ui/kit/text/textrun.h"

#include <QWidget>

namespace brevik {

// A lamp and its label on a small pressed-in surface: green when on, red when off.
class StatusDot final : public QWidget {
    Q_OBJECT

public:
    explicit StatusDot(const QString &label = {}, bool on = false, QWidget *parent = nullptr);

    void setLabel(const QString &label);
    QString label() const { return m_label.text(); }
    void setOn(bool on);
    bool isOn() const { return m_on; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintSurface(QPainter &painter) const;
    void paintContent(QPainter &painter) const;

    TextRun m_label;
    bool m_on;
    mutable ReliefMemo m_relief;
};

} // namespace brevik
