#pragma once

#include "ui/kit/access/speakable.h"
#include "ui/kit/paint/relief.h"
#include "ui/kit/palette/palette.h"
#include "ui/kit/symbols/symbols.h"
#include "ui/kit/text/textrun.h"

#include <QWidget>

#include <optional>

namespace brevik {

// A small pressed-in label: an optional symbol and a short text, both in one colour.
class NeuChip final : public QWidget, public Speakable {
    Q_OBJECT

public:
    explicit NeuChip(const QString &text = {}, NeuRole color = neuTextSecondary,
                     std::optional<Symbol> icon = {}, QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text.text(); }
    void setColor(NeuRole color);
    NeuRole color() const { return m_color; }
    void setIcon(std::optional<Symbol> icon);
    std::optional<Symbol> icon() const { return m_icon; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    AccessibleFacts accessibleFacts() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintSurface(QPainter &painter) const;
    void paintContent(QPainter &painter) const;

    TextRun m_text;
    NeuRole m_color;
    std::optional<Symbol> m_icon;
    mutable ReliefMemo m_relief;
};

} // namespace brevik
