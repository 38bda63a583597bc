#pragma once

#include "ui/kit/palette/palette.h"

#include <QFont>
#include <QLabel>

namespace brevik {

// Plain text of the style kit: a label in the given font and in the ink of a palette role
// (which follows the appearance), on one line or wrapping, and if asked selectable with the
// mouse.
enum class LabelFlow { oneLine, wrapping, wrappingSelectable };

QLabel *neuLabel(const QString &text, const QFont &font, NeuRole role,
                 LabelFlow flow = LabelFlow::oneLine, QWidget *parent = nullptr);

} // namespace brevik
