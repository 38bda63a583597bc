#pragma once

#include <QFont>
#include <QStaticText>
#include <QString>

class QPainter;

namespace brevik {

// One line of text in one font, shaped once and drawn from then on without laying it out
// again: the labels of buttons, chips and lamps repaint often and change rarely.
class TextRun {
public:
    explicit TextRun(const QFont &font, const QString &text = {});

    void setText(const QString &text);
    const QString &text() const { return m_text; }
    const QFont &font() const { return m_font; }
    qreal width() const { return m_width; }
    qreal height() const { return m_height; }

    // Draws the line from `x`, its middle on `midY`.
    void draw(QPainter &painter, qreal x, qreal midY, const QColor &color) const;

private:
    QFont m_font;
    QString m_text;
    QStaticText m_shaped;
    qreal m_width = 0;
    qreal m_height = 0;
    qreal m_ascent = 0;
    qreal m_descent = 0;
};

} // namespace brevik
