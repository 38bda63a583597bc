#pragma once

#include "ui/kit/access/speakable.h"

#include <QWidget>

class QVariantAnimation;

namespace brevik {

// The small indeterminate progress wheel: twelve spokes, the brightest one going round
// once a second. It runs only while shown.
class Spinner final : public QWidget, public Speakable {
    Q_OBJECT

public:
    explicit Spinner(int side = 14, QWidget *parent = nullptr);

    bool isSpinning() const;
    QSize sizeHint() const override { return {m_side, m_side}; }

    AccessibleFacts accessibleFacts() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int m_side;
    int m_step = 0;
    QVariantAnimation *m_turn;
};

} // namespace brevik
