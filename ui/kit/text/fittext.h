#pragma once

#include "ui/kit/access/speakable.h"
#include "ui/kit/palette/palette.h"

#include <QFont>
#include <QWidget>

namespace brevik {

// One line of text that shrinks, down to a least scale, to fit the width it is given,
// and past that is cut short with an ellipsis.
class FitText final : public QWidget, public Speakable {
    Q_OBJECT

public:
    FitText(const QFont &font, NeuRole color, qreal leastScale, QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }
    // The scale the text is drawn at for the current width.
    qreal scale() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    AccessibleFacts accessibleFacts() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QFont m_font;
    NeuRole m_color;
    qreal m_leastScale;
};

} // namespace brevik
