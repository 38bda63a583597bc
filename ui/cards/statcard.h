#pragma once

#include "ui/kit/paint/neupanel.h"
#include "ui/kit/symbols/symbols.h"

class QLabel;

namespace brevik {

class FitText;
class SymbolView;

// A statistic tile of the summary row: symbol and title above a large value. A screen reader
// reads it as a group named by its title, the value as its description, and the symbol's
// colour in words where it is a severity's.
class StatCard final : public NeuPanel {
    Q_OBJECT

public:
    StatCard(const QString &title, const QString &value, NeuRole color, Symbol icon,
             QWidget *parent = nullptr);

    void setValue(const QString &value);
    void setAccent(NeuRole color, Symbol icon); // the symbol's colour and the symbol
    QString title() const;
    QString value() const;
    Symbol icon() const;
    NeuRole color() const;

    AccessibleFacts accessibleFacts() const override;

private:
    SymbolView *m_icon;
    QLabel *m_title;
    FitText *m_value;
};

} // namespace brevik
