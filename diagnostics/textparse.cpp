#include "diagnostics/textparse.h"

#include <QRegularExpression>

#include <cmath>

namespace brevik {

namespace TextParse {

QStringList lines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString trimBlanks(const QString &text)
{
    const auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QStringList trimmedLines(const QString &text)
{
    QStringList result;
    for (const QString &line : lines(text)) {
        const QString trimmed = trimBlanks(line);
        if (!trimmed.isEmpty())
            result << trimmed;
    }
    return result;
}

std::optional<qint64> integer(const QString &text)
{
    // QString::toLongLong alone would also accept surrounding whitespace.
    static const QRegularExpression shape(QStringLiteral("^[+-]?[0-9]+$"));
    if (!shape.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

QString wholePercent(double percent)
{
    // Formatting the truncated double avoids the undefined double-to-int conversion of a
    // value out of range.
    return QString::number(std::trunc(percent), 'f', 0);
}

} // namespace TextParse

} // namespace brevik
