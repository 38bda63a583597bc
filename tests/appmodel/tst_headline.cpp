#include "appmodel/headline.h"

#include <QTest>

using namespace brevik;

namespace {

// "warn+fix info" → a warn finding with a repair and an info finding without one.
QList<Finding> findingsOf(const QString &spec)
{
    QList<Finding> findings;
    for (const QString &word : spec.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString name = word.section(QLatin1Char('+'), 0, 0);
        Finding finding{.id = QStringLiteral("f%1").arg(findings.size())};
        for (Severity severity : {Severity::ok, Severity::info, Severity::warn, Severity::error}) {
            if (severityName(severity) == name)
                finding.severity = severity;
        }
        if (word.endsWith(QLatin1String("+fix")))
            finding.fix = FixAction{.id = QStringLiteral("fix-x")};
        findings << finding;
    }
    return findings;
}

// "" → no test yet; otherwise the verdict of the last one.
std::optional<WebVerdict> netOf(const QString &name)
{
    if (name == QLatin1String("usable"))
        return WebVerdict::usable;
    if (name == QLatin1String("direct only"))
        return WebVerdict::directOnly;
    if (name == QLatin1String("failed"))
        return WebVerdict::failed;
    return std::nullopt;
}

} // namespace

class TestHeadline : public QObject {
    Q_OBJECT

private slots:
    void decision_data();
    void decision();
};

void TestHeadline::decision_data()
{
    QTest::addColumn<QString>("findings");
    QTest::addColumn<QString>("net");
    QTest::addColumn<Severity>("status");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("title");
    // problems / passes / optional items / fixable count
    QTest::addColumn<QList<int>>("counts");

    QTest::newRow("no findings yet") << ""
                                     << "" << Severity::info << "提示"
                                     << "正在诊断你的网络…" << QList<int>{0, 0, 0, 0};
    QTest::newRow("no findings, net usable") << ""
                                             << "usable" << Severity::info << "正常"
                                             << "网络正常，未发现问题" << QList<int>{0, 0, 0, 0};
    QTest::newRow("info only, with a repair")
        << "info info+fix ok"
        << "" << Severity::ok << "正常"
        << "网络状态良好，未发现问题" << QList<int>{0, 3, 2, 0};
    QTest::newRow("info only, net usable") << "info"
                                           << "usable" << Severity::ok << "正常"
                                           << "网络正常，未发现问题" << QList<int>{0, 1, 1, 0};
    QTest::newRow("two warns, net usable")
        << "warn ok warn+fix"
        << "usable" << Severity::warn << "可用"
        << "网络正常可用，2 项可选优化（可先放一放）" << QList<int>{2, 1, 2, 1};
    QTest::newRow("an error outweighs a usable net")
        << "ok error+fix warn info"
        << "usable" << Severity::error << "故障"
        << "网络存在故障，建议立即修复" << QList<int>{2, 2, 2, 1};
    QTest::newRow("a warn, test failed") << "warn+fix ok"
                                         << "failed" << Severity::warn << "警告"
                                         << "网络存在异常，可一键优化" << QList<int>{1, 1, 1, 1};
    QTest::newRow("a warn, no test yet") << "warn+fix ok"
                                         << "" << Severity::warn << "警告"
                                         << "网络存在异常，可一键优化" << QList<int>{1, 1, 1, 1};
    // Only the direct path got the page: the apps behind the system proxy did not.
    QTest::newRow("a dead proxy, only direct gets through")
        << "error+fix ok warn"
        << "direct only" << Severity::error << "故障"
        << "网络存在故障，建议立即修复" << QList<int>{2, 1, 1, 1};
    QTest::newRow("warns only, only direct gets through")
        << "ok warn"
        << "direct only" << Severity::warn << "警告"
        << "网络存在异常，可一键优化" << QList<int>{1, 1, 1, 0};
    // A test run after the scan found the net down: the headline must not call it sound.
    QTest::newRow("nothing found, a later test failed")
        << "ok info"
        << "failed" << Severity::warn << "警告"
        << "网络存在异常，可一键优化" << QList<int>{0, 2, 1, 0};
}

void TestHeadline::decision()
{
    QFETCH(QString, findings);
    QFETCH(QString, net);
    const QList<Finding> list = findingsOf(findings);
    const std::optional<WebVerdict> verdict = netOf(net);

    QTEST(Headline::effectiveStatus(list, verdict), "status");
    QTEST(Headline::statusLabel(list, verdict), "label");
    QTEST(Headline::statusTitle(list, verdict), "title");
    const QList<int> counts{
        int(Headline::problems(list).size()), int(Headline::passes(list).size()),
        int(Headline::optionalItems(list).size()), Headline::fixableCount(list)};
    QTEST(counts, "counts");
}

QTEST_GUILESS_MAIN(TestHeadline)
#include "tst_headline.moc"
