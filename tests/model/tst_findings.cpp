#include "model/category.h"
#include "model/finding.h"
#include "model/severity.h"

#include <QTest>

#include <algorithm>

class TestFindings : public QObject {
    Q_OBJECT

private slots:
    void severityTable_data();
    void severityTable();
    void severityOrderIsGravity();
    void severityFromRawRejectsOutOfRange();
    void categoriesInDisplayOrder();
    void categoryFromRawIsExact_data();
    void categoryFromRawIsExact();
    void filterModes();
    void findingEqualityIgnoresPresentation();
    void derivedProperties();
    void fixActionDefaults();
};

void TestFindings::severityTable_data()
{
    QTest::addColumn<Severity>("severity");
    QTest::addColumn<int>("raw");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("color");
    QTest::newRow("ok") << Severity::ok << 0 << "正常"
                        << "checkmark.circle.fill"
                        << "neuSuccess";
    QTest::newRow("info") << Severity::info << 1 << "提示"
                          << "info.circle.fill"
                          << "neuInfo";
    QTest::newRow("warn") << Severity::warn << 2 << "警告"
                          << "exclamationmark.triangle.fill"
                          << "neuWarning";
    QTest::newRow("error") << Severity::error << 3 << "故障"
                           << "xmark.octagon.fill"
                           << "neuDanger";
}

void TestFindings::severityTable()
{
    QFETCH(Severity, severity);
    QFETCH(int, raw);
    QFETCH(QString, label);
    QFETCH(QString, icon);
    QFETCH(QString, color);
    QCOMPARE(rawValue(severity), raw);
    QCOMPARE(severityFromRaw(raw), std::optional<Severity>(severity));
    QCOMPARE(::label(severity), label);
    QCOMPARE(::icon(severity), icon);
    QCOMPARE(colorName(severity), color);
}

void TestFindings::severityOrderIsGravity()
{
    QList<Severity> list{Severity::error, Severity::ok, Severity::warn, Severity::info};
    std::sort(list.begin(), list.end());
    QCOMPARE(list,
             (QList<Severity>{Severity::ok, Severity::info, Severity::warn, Severity::error}));
    QVERIFY(Severity::warn >= Severity::warn);
    QVERIFY(Severity::info > Severity::ok);
}

void TestFindings::severityFromRawRejectsOutOfRange()
{
    QCOMPARE(severityFromRaw(-1), std::nullopt);
    QCOMPARE(severityFromRaw(4), std::nullopt);
}

void TestFindings::categoriesInDisplayOrder()
{
    QStringList names;
    for (CheckCategory category : allCategories())
        names << rawValue(category);
    QCOMPARE(names,
             (QStringList{"基础连接", "DNS 解析", "代理 / 科学上网", "AI 服务连通", "系统环境"}));
}

void TestFindings::categoryFromRawIsExact_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<std::optional<CheckCategory>>("category");
    QTest::newRow("display name") << "DNS 解析" << std::optional<CheckCategory>(CheckCategory::dns);
    QTest::newRow("case name is not a raw value") << "dns" << std::optional<CheckCategory>();
    QTest::newRow("different blank") << "DNS解析" << std::optional<CheckCategory>();
    QTest::newRow("proxy") << "代理 / 科学上网"
                           << std::optional<CheckCategory>(CheckCategory::proxy);
}

void TestFindings::categoryFromRawIsExact()
{
    QFETCH(QString, raw);
    QFETCH(std::optional<CheckCategory>, category);
    QCOMPARE(categoryFromRaw(raw), category);
}

void TestFindings::filterModes()
{
    QStringList labels;
    for (FilterMode mode : allFilterModes())
        labels << rawValue(mode);
    QCOMPARE(labels, (QStringList{"全部", "待修复", "正常项"}));
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
    b.fix =
        FixAction{.id = "fix-reset-iface", .title = "t", .commands = {"true"}, .successHint = "s"};
    b.manualSteps = {"step"};
    QVERIFY(a == b);
    Finding c = a;
    c.detail = "other";
    QVERIFY(!(a == c));
    Finding d = a;
    d.severity = Severity::warn;
    QVERIFY(!(a == d));
}

void TestFindings::derivedProperties()
{
    Finding finding{.id = "x", .title = "t", .severity = Severity::info, .detail = ""};
    QVERIFY(!finding.hasFix());
    QVERIFY(!finding.isProblem());
    finding.fix = FixAction{.id = "fix-x", .title = "t", .commands = {}, .successHint = ""};
    QVERIFY(finding.hasFix());
    QVERIFY(!finding.isProblem());
    finding.severity = Severity::warn;
    QVERIFY(finding.isProblem());
    finding.severity = Severity::error;
    QVERIFY(finding.isProblem());
    finding.severity = Severity::ok;
    QVERIFY(!finding.isProblem());
}

void TestFindings::fixActionDefaults()
{
    const FixAction action{
        .id = "fix-x", .title = "t", .commands = {"true"}, .needsAdmin = true, .successHint = "s"};
    QCOMPARE(action.fallbackAdmin, false);
    QCOMPARE(action.verifyHint, QStringLiteral("修复后请点击「重新扫描」确认结果。"));
}

QTEST_GUILESS_MAIN(TestFindings)
#include "tst_findings.moc"
