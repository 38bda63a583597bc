#include "ui/labels.h"

#include "ui/palette.h"

QLabel *neuLabel(const QString &text, const QFont &font, const QColor &color, LabelFlow flow,
                 QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(font);
    // Text is plain: finding details and logs carry '<' and '&' from tool output.
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::Highlight, withOpacity(neuAccent, 0.3));
    palette.setColor(QPalette::HighlightedText, neuText);
    label->setPalette(palette);
    if (flow != LabelFlow::oneLine) {
        label->setWordWrap(true);
        label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    }
    if (flow == LabelFlow::wrappingSelectable) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setCursor(Qt::IBeamCursor);
    }
    return label;
}
