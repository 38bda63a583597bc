#pragma once

#include "ui/kit/access/speakable.h"

#include <QFont>
#include <QHash>
#include <QString>
#include <QWidget>

#include <utility>

namespace brevik {

// Splits a log text into the status sign it starts with (✅ ❌ ⚠️ ⏳) and the rest, without
// the blank between them; no sign, and the whole text, when it starts with none.
std::pair<QString, QString> splitStatusSign(const QString &log);

// A log's status sign, drawn from an image made once per sign. The signs are colour emoji,
// and their faces are bitmap fonts: Qt decompresses such a glyph again every time it
// measures text containing it, which made laying out a one-line log cost more than
// painting a whole card.
class StatusSign final : public QWidget, public Speakable {
    Q_OBJECT

public:
    explicit StatusSign(const QFont &font, QWidget *parent = nullptr);

    // An empty sign hides the widget.
    void setSign(const QString &sign);
    QString sign() const { return m_sign; }

    QSize sizeHint() const override;

    AccessibleFacts accessibleFacts() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont m_font;
    QString m_sign;
    QHash<QString, qreal> m_advances; // measured once per sign
};

} // namespace brevik
