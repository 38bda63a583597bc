#pragma once

#include "ui/kit/access/speakable.h"

#include <QWidget>

class QScrollArea;

namespace brevik {

// A soft edge where the list runs under the top or the bottom of its scrolling area: the
// background tone fading in over the last few points, shown only on a side that has more
// to scroll to. It lies over the viewport and lets every click through.
class ScrollFade final : public QWidget, public Speakable {
    Q_OBJECT

public:
    enum class Edge { top, bottom };

    ScrollFade(QScrollArea *area, Edge edge);

    AccessibleFacts accessibleFacts() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void follow();

    QScrollArea *m_area;
    Edge m_edge;
};

} // namespace brevik
