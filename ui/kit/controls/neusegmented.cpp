#include "ui/kit/controls/neusegmented.h"

#include "ui/kit/controls/segmentedaccessible.h"
#include "ui/kit/paint/focusring.h"
#include "ui/kit/paint/neusurface.h"
#include "ui/kit/text/typography.h"

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace brevik {

namespace {

constexpr int kPadding = 4;
constexpr int kSpacing = 4;
const QMargins kOptionPadding(14, 8, 14, 8);
const NeuSurface kWell = neuInset(15, 5);
constexpr qreal kOptionRadius = 11;
constexpr qreal kRaisedDistance = 3;
constexpr qreal kSelectedDistance = 4;

QFont optionFont()
{
    return neuFont(12.5, QFont::DemiBold, FontDesign::rounded);
}

QColor blend(const QColor &from, const QColor &to, qreal amount)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * amount),
                            float(from.greenF() + (to.greenF() - from.greenF()) * amount),
                            float(from.blueF() + (to.blueF() - from.blueF()) * amount));
}

} // namespace

NeuSegmented::NeuSegmented(QList<Option> options, QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    setOptions(std::move(options));
}

NeuSegmented::~NeuSegmented() = default;

void NeuSegmented::setOptions(QList<Option> options)
{
    m_options = std::move(options);
    m_selected.clear();
    m_labels.clear();
    for (int i = 0; i < m_options.size(); ++i) {
        m_labels.emplace_back(optionFont(), m_options[i].second);
        const bool selected = m_options[i].first == m_selection;
        m_selected.push_back(
            std::make_unique<AnimatedValue>(this, selected ? 1.0 : 0.0, [this] { update(); }));
    }
    updateGeometry();
    update();
}

void NeuSegmented::setSelection(const QVariant &value)
{
    if (value == m_selection)
        return;
    const int previous = selectedIndex();
    m_selection = value;
    for (int i = 0; i < m_options.size(); ++i)
        m_selected[i]->animateTo(m_options[i].first == value ? 1.0 : 0.0);
    announceSelection(previous);
    emit selectionChanged(value);
}

qreal NeuSegmented::selectedAmount(int index) const
{
    return index >= 0 && index < int(m_selected.size()) ? m_selected[index]->value() : 0;
}

int NeuSegmented::selectedIndex() const
{
    for (int i = 0; i < m_options.size(); ++i) {
        if (m_options[i].first == m_selection)
            return i;
    }
    return -1;
}

qreal NeuSegmented::optionWidth(int index) const
{
    return qCeil(m_labels[index].width()) + kOptionPadding.left() + kOptionPadding.right();
}

QRect NeuSegmented::optionRect(int index) const
{
    int x = kPadding;
    for (int i = 0; i < index; ++i)
        x += int(optionWidth(i)) + kSpacing;
    return QRect(x, kPadding, int(optionWidth(index)), height() - 2 * kPadding);
}

QSize NeuSegmented::sizeHint() const
{
    const QFontMetricsF metrics(optionFont());
    int width = 2 * kPadding;
    for (int i = 0; i < m_options.size(); ++i)
        width += int(optionWidth(i)) + (i > 0 ? kSpacing : 0);
    const int height =
        qCeil(metrics.height()) + kOptionPadding.top() + kOptionPadding.bottom() + 2 * kPadding;
    return {width, height};
}

QMargins NeuSegmented::shadowMargins() const
{
    return focusRingMargins();
}

void NeuSegmented::paintShadow(QPainter &painter) const
{
    if (m_ring.shown())
        paintFocusRing(painter, rect(), kWell.radius);
}

void NeuSegmented::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintSurface(painter);
    paintContent(painter);
}

void NeuSegmented::paintSurface(QPainter &painter) const
{
    m_well.paintInset(painter, rect(), kWell.radius, kWell.distance, neuColor(kWell.fill));
}

void NeuSegmented::paintContent(QPainter &painter) const
{
    // The options' shadows stay inside the well they sit in.
    painter.setClipPath(neuShape(rect(), kWell.radius));
    const QColor face = neuColor(neuBg);
    for (int i = 0; i < m_options.size(); ++i) {
        const QRectF option = optionRect(i);
        const qreal sunk = selectedAmount(i);
        if (sunk < 1) {
            painter.setOpacity(1 - sunk);
            paintSurfaceShadows(painter, option, neuRaised(kOptionRadius, kRaisedDistance));
            painter.setOpacity(1);
            paintFace(painter, option, kOptionRadius, face);
        }
        if (sunk > 0) {
            painter.setOpacity(sunk);
            paintInsetSurface(painter, option, kOptionRadius, kSelectedDistance, face);
            painter.setOpacity(1);
        }
        m_labels[i].draw(painter, option.left() + kOptionPadding.left(), option.center().y(),
                         blend(neuInk(neuTextSecondary), neuInk(neuAccentDeep), sunk));
    }
}

void NeuSegmented::mousePressEvent(QMouseEvent *event)
{
    for (int i = 0; i < m_options.size(); ++i) {
        if (optionRect(i).contains(event->position().toPoint())) {
            setSelection(m_options[i].first);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void NeuSegmented::keyPressEvent(QKeyEvent *event)
{
    const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    if (step == 0 || m_options.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int current = selectedIndex();
    const int next = std::clamp(current < 0 ? 0 : current + step, 0, int(m_options.size()) - 1);
    setSelection(m_options[next].first);
}

void NeuSegmented::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    m_ring.focusIn(*event);
}

void NeuSegmented::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    m_ring.focusOut();
}

AccessibleFacts NeuSegmented::accessibleFacts() const
{
    return readAs(QAccessible::Grouping);
}

QAccessibleInterface *NeuSegmented::createAccessible(QWidget *self) const
{
    return new SegmentedAccessible(static_cast<NeuSegmented *>(self), this);
}

void NeuSegmented::announceSelection(int previous) const
{
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface *group =
        QAccessible::queryAccessibleInterface(const_cast<NeuSegmented *>(this));
    QAccessible::State checked;
    checked.checked = true;
    for (int index : {previous, selectedIndex()}) {
        if (QAccessibleInterface *option = index >= 0 ? group->child(index) : nullptr) {
            QAccessibleStateChangeEvent change(option, checked);
            QAccessible::updateAccessibility(&change);
        }
    }
    if (hasFocus() && selectedIndex() >= 0) {
        QAccessibleEvent focus(group->child(selectedIndex()), QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

} // namespace brevik
