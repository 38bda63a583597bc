#include "model/category.h"
#include "model/finding.h"
#include "model/severity.h"

#include <QTest>

#include <algorithm>

using namespace brevik;

class TestFindings : public QObject {
    Q_OBJECT

private slots:
    void severityRawValuesAndOrder();
    void fromRawAcceptsOnlyExactNames();
    void findingEqualityIgnoresPresentation();
};

void TestFindings::severityRawValuesAndOrder()
{
    const QList<Severity> all{Severity::ok, Severity::info, Severity::warn, Severity::error};
    for (int raw = 0; raw < all.size(); ++raw) {
        QCOMPARE(rawValue(all[raw]), raw);
        QCOMPARE(severityFromRaw(raw), std::optional<Severity>(all[raw]));
        QCOMPARE(Finding{.severity = all[raw]}.isProblem(), raw >= 2);
    }
    QCOMPARE(severityFromRaw(-1), std::nullopt);
    QCOMPARE(severityFromRaw(4), std::nullopt);
    QList<Severity> shuffled{Severity::error, Severity::ok, Severity::warn, Severity::info};
    std::sort(shuffled.begin(), shuffled.end());
    QCOMPARE(shuffled, all);
}

void TestFindings::fromRawAcceptsOnlyExactNames()
{
    QCOMPARE(categoryFromRaw(QStringLiteral("DNS 解析")),
             std::optional<CheckCategory>(CheckCategory::dns));
    QCOMPARE(categoryFromRaw(QStringLiteral("dns")), std::nullopt);
    QCOMPARE(categoryFromRaw(QStringLiteral("DNS解析")), std::nullopt);
    QCOMPARE(filterModeFromRaw(QStringLiteral("待修复")),
             std::optional<FilterMode>(FilterMode::problems));
    QCOMPARE(filterModeFromRaw(QStringLiteral("problems")), std::nullopt);
}

void TestFindings::findingEqualityIgnoresPresentation()
{
    const Finding a{.id = "gateway-down",
                    .title = "A",
                    .severity = Severity::error,
                    .detail = "d",
                    .category = CheckCategory::connectivity};
    Finding b = a;
    b.title = "B";
    b.category = CheckCategory::system;
    b.fixHint = "hint";
    b.fix = FixAction{.id = "fix-reset-iface"};
    b.manualSteps = {"step"};
    QVERIFY(a == b);
    Finding c = a;
    c.detail = "other";
    QVERIFY(!(a == c));
    Finding d = a;
    d.severity = Severity::warn;
    QVERIFY(!(a == d));
}

QTEST_GUILESS_MAIN(TestFindings)
#include "tst_findings.moc"
