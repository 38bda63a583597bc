#pragma once

#include "ui/kit/paint/neupanel.h"
#include "ui/kit/symbols/symbols.h"

class QLabel;

namespace brevik {

class FitText;
class SymbolView;

// A statistic tile of the summary row: symbol and title above a large value.
class StatCard final : public NeuPanel {
    Q_OBJECT

public:
    StatCard(const QString &title, const QString &value, const QColor &color, Symbol icon,
             QWidget *parent = nullptr);

    void setValue(const QString &value);
    void setAccent(const QColor &color, Symbol icon); // the symbol's colour and the symbol
    QString title() const;
    QString value() const;
    Symbol icon() const;
    QColor color() const;

private:
    SymbolView *m_icon;
    QLabel *m_title;
    FitText *m_value;
};

} // namespace brevik
