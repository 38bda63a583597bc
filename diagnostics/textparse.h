#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// Small readers for the text that the command-line tools print.
namespace TextParse {

// The lines of a tool's output: split at line feeds, empty pieces dropped, nothing trimmed.
QStringList lines(const QString &text);

// The text without blanks (spaces and tabs) at either end; other whitespace stays.
QString trimBlanks(const QString &text);

// The lines of the output, each trimmed of blanks, the empty ones dropped.
QStringList trimmedLines(const QString &text);

// A decimal integer written as an optional "+" or "-" and ASCII digits only, nothing around
// it. Anything else (blanks, a fraction, the empty text, a number too large) gives nothing.
std::optional<qint64> integer(const QString &text);

// A percentage shown to the user: the fraction dropped, never rounded up (66.7 gives "66").
QString wholePercent(double percent);

} // namespace TextParse

} // namespace brevik
