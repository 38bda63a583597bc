#pragma once

#include "ui/kit/access/speakable.h"
#include "ui/kit/motion/motion.h"

#include <QWidget>

namespace brevik {

// Shows its one child by growing from nothing to the child's height, and hides it the
// same way, over 0.28 s. Collapsed, it is hidden and takes no room in its layout. Open, it
// follows the child: a child that grows (a log gaining lines) is shown whole.
class Reveal final : public QWidget, public Speakable {
    Q_OBJECT

public:
    explicit Reveal(QWidget *content, QWidget *parent = nullptr);

    void setExpanded(bool expanded, bool animated = true);
    bool isExpanded() const { return m_amount.target() > 0; }
    // How much of the content shows now, 0 to 1.
    qreal amount() const { return m_amount.value(); }
    QWidget *content() const { return m_content; }

    // Only what it holds is read.
    AccessibleFacts accessibleFacts() const override { return {}; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int contentHeight(int width) const;
    void follow();

    QWidget *m_content;
    AnimatedValue m_amount;
};

} // namespace brevik
