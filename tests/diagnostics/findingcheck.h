#pragma once

#include "model/finding.h"
#include "tests/support/testdata.h"

#include <QTest>

namespace brevik {

// The decision tables compare what a check decided, not the constant texts around it:
// each finding as "id/severity", its repair as "fix-id admin|fallback" and the texts that
// are assembled from values (looked for in title and detail).

// "-" when there is no repair; "fix-x" when it runs plainly.
inline QString fixShape(const Finding &f)
{
    if (!f.fix)
        return QStringLiteral("-");
    if (f.fix->needsAdmin)
        return f.fix->id + QStringLiteral(" admin");
    return f.fix->id + (f.fix->fallbackAdmin ? QStringLiteral(" fallback") : QString());
}

inline QString shownText(const Finding &f)
{
    return f.title + QLatin1Char('\n') + f.detail;
}

// The text (when not empty) appears in the finding's title or detail.
#define VERIFY_SHOWN(finding, text)                                                                \
    QVERIFY2(QString(text).isEmpty() || shownText(finding).contains(text),                         \
             qPrintable(shownText(finding) + QStringLiteral("\n lacks: ") + (text)))

// One line of a finding list: "id/severity fix-id admin", the repair as fixShape shows it.
inline QStringList outline(const QList<Finding> &findings)
{
    QStringList list;
    for (const Finding &f : findings)
        list << f.id + QLatin1Char('/') + severityName(f.severity) + QLatin1Char(' ') + fixShape(f);
    return list;
}

} // namespace brevik
