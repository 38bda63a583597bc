#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

namespace brevik {

// Plain text of the style kit: a label in the given font and colour, on one line or
// wrapping, and if asked selectable with the mouse.
enum class LabelFlow { oneLine, wrapping, wrappingSelectable };

QLabel *neuLabel(const QString &text, const QFont &font, const QColor &color,
                 LabelFlow flow = LabelFlow::oneLine, QWidget *parent = nullptr);

} // namespace brevik
