#include "ui/kit/text/labels.h"

#include "ui/kit/palette/theme.h"

#include <QEvent>

#include <array>

namespace brevik {

namespace {

// A wrapping label remembers its last heights for the text it shows. Layouts ask for a
// label's height at a width many times per pass, and each answer lays the whole text out
// again: in a list of cards one changed log would lay out every card's text anew.
class WrappingLabel final : public QLabel {
public:
    using QLabel::QLabel;

    int heightForWidth(int width) const override
    {
        if (!m_cachedText.isSharedWith(text()) && m_cachedText != text()) {
            m_cachedText = text();
            m_heights.fill({-1, -1});
        }
        for (const auto &[w, h] : m_heights) {
            if (w == width)
                return h;
        }
        const int height = QLabel::heightForWidth(width);
        m_heights[m_next] = {width, height};
        m_next = (m_next + 1) % m_heights.size();
        return height;
    }

protected:
    void changeEvent(QEvent *event) override
    {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            m_heights.fill({-1, -1});
        QLabel::changeEvent(event);
    }

private:
    mutable QString m_cachedText;
    mutable std::array<std::pair<int, int>, 4> m_heights{{{-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}}};
    mutable std::size_t m_next = 0;
};

} // namespace

QLabel *neuLabel(const QString &text, const QFont &font, NeuRole role, LabelFlow flow,
                 QWidget *parent)
{
    auto *label =
        flow == LabelFlow::oneLine ? new QLabel(text, parent) : new WrappingLabel(text, parent);
    label->setFont(font);
    // Text is plain: finding details and logs carry '<' and '&' from tool output.
    label->setTextFormat(Qt::PlainText);
    bindPalette(label, {{.target = QPalette::WindowText, .role = role, .ink = true},
                        {.target = QPalette::Text, .role = role, .ink = true},
                        {.target = QPalette::Highlight, .role = neuAccent, .opacity = 0.3},
                        {.target = QPalette::HighlightedText, .role = neuText, .ink = true}});
    if (flow != LabelFlow::oneLine) {
        // Its size policy now says that the height follows the width; replacing the
        // policy would lose that, and layouts would size the label by a guessed width.
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    if (flow == LabelFlow::wrappingSelectable) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setCursor(Qt::IBeamCursor);
    }
    return label;
}

} // namespace brevik
