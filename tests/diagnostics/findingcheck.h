#pragma once

#include "model/finding.h"

#include <QTest>

// Compares every field of a finding's repair; call through VERIFY_FIX so a mismatch stops the
// calling test at once.
inline void compareFix(const Finding &finding, const QString &id, const QString &title,
                       const QStringList &commands, bool needsAdmin, bool fallbackAdmin,
                       const QString &successHint)
{
    QVERIFY2(finding.fix.has_value(), qPrintable(finding.id + QStringLiteral(" has no repair")));
    const FixAction &fix = *finding.fix;
    QCOMPARE(fix.id, id);
    QCOMPARE(fix.title, title);
    QCOMPARE(fix.commands, commands);
    QCOMPARE(fix.needsAdmin, needsAdmin);
    QCOMPARE(fix.fallbackAdmin, fallbackAdmin);
    QCOMPARE(fix.successHint, successHint);
    QCOMPARE(fix.verifyHint, QStringLiteral("修复后请点击「重新扫描」确认结果。"));
}

#define VERIFY_FIX(...)                                                                            \
    do {                                                                                           \
        compareFix(__VA_ARGS__);                                                                   \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)
