#include "ui/kit/text/statussign.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPixmapCache>

#include <array>

namespace brevik {

namespace {

// The signs that open every repair log, and what each says in words.
struct KnownSign {
    QString sign;
    const char *word;
};
const std::array<KnownSign, 4> kSigns{{
    {QStringLiteral("✅"), QT_TRANSLATE_NOOP("brevik::StatusSign", "成功")},
    {QStringLiteral("❌"), QT_TRANSLATE_NOOP("brevik::StatusSign", "失败")},
    {QStringLiteral("⚠️"), QT_TRANSLATE_NOOP("brevik::StatusSign", "注意")},
    {QStringLiteral("⏳"), QT_TRANSLATE_NOOP("brevik::StatusSign", "等待中")},
}};

} // namespace

std::pair<QString, QString> splitStatusSign(const QString &log)
{
    for (const KnownSign &known : kSigns) {
        if (log.startsWith(known.sign)) {
            QString rest = log.mid(known.sign.size());
            if (rest.startsWith(QLatin1Char(' ')))
                rest.remove(0, 1);
            return {known.sign, rest};
        }
    }
    return {QString(), log};
}

StatusSign::StatusSign(const QFont &font, QWidget *parent) : QWidget(parent), m_font(font)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    hide();
}

void StatusSign::setSign(const QString &sign)
{
    if (sign == m_sign)
        return;
    m_sign = sign;
    if (!sign.isEmpty() && !m_advances.contains(sign))
        m_advances.insert(sign, QFontMetricsF(m_font).horizontalAdvance(sign));
    setVisible(!sign.isEmpty());
    updateGeometry();
    update();
}

QSize StatusSign::sizeHint() const
{
    return {qCeil(m_advances.value(m_sign)), qCeil(QFontMetricsF(m_font).height())};
}

void StatusSign::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const qreal dpr = devicePixelRatio();
    const QString key =
        QStringLiteral("neu-sign:%1:%2:%3:%4").arg(m_sign, m_font.key()).arg(width()).arg(dpr);
    QPixmap image;
    if (!QPixmapCache::find(key, &image)) {
        image = QPixmap(size() * dpr);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        QPainter text(&image);
        text.setFont(m_font);
        text.drawText(QPointF(0, QFontMetricsF(m_font).ascent()), m_sign);
        text.end();
        QPixmapCache::insert(key, image);
    }
    painter.drawPixmap(0, 0, image);
}

AccessibleFacts StatusSign::accessibleFacts() const
{
    for (const auto &[sign, word] : kSigns) {
        if (sign == m_sign)
            return readAs(QAccessible::Graphic, tr(word));
    }
    return decoration();
}

} // namespace brevik
