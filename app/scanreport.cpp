#include "app/scanreport.h"

#include "diagnostics/aistatusstore.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/stepschedule.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(ScanReport)
};

QJsonValue optionalText(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

QJsonObject fixToJson(const FixAction &fix)
{
    return {
        {QStringLiteral("id"), fix.id},
        {QStringLiteral("title"), fix.title},
        {QStringLiteral("commands"), QJsonArray::fromStringList(fix.commands())},
        {QStringLiteral("needsAdmin"), fix.needsAdmin},
        {QStringLiteral("fallbackAdmin"), fix.fallbackAdmin},
        {QStringLiteral("successHint"), fix.successHint},
        {QStringLiteral("verifyHint"), fix.verifyHint},
    };
}

QJsonObject findingToJson(const Finding &finding)
{
    return {
        {QStringLiteral("id"), finding.id},
        {QStringLiteral("title"), finding.title},
        {QStringLiteral("severity"), severityName(finding.severity)},
        {QStringLiteral("category"), rawValue(finding.category)},
        {QStringLiteral("detail"), finding.detail},
        {QStringLiteral("fixHint"), optionalText(finding.fixHint)},
        {QStringLiteral("manualSteps"), QJsonArray::fromStringList(finding.manualSteps)},
        {QStringLiteral("fix"),
         finding.fix ? QJsonValue(fixToJson(*finding.fix)) : QJsonValue(QJsonValue::Null)},
    };
}

QJsonObject aiToJson(const AIStatus &row)
{
    return {
        {QStringLiteral("name"), row.name},           {QStringLiteral("url"), row.url},
        {QStringLiteral("directOK"), row.directOK},   {QStringLiteral("proxyOK"), row.proxyOK},
        {QStringLiteral("latencyMs"), row.latencyMs}, {QStringLiteral("note"), row.note},
    };
}

QJsonObject verifyToJson(const NetVerifyResult &result)
{
    return {
        {QStringLiteral("ok"), result.ok},
        {QStringLiteral("code"), result.code},
        {QStringLiteral("ms"), result.ms},
        {QStringLiteral("via"), result.via},
        {QStringLiteral("tried"), QJsonArray::fromStringList(result.tried)},
        {QStringLiteral("summary"), result.summary},
        {QStringLiteral("unusableProxy"), result.unusableProxy.isEmpty()
                                              ? QJsonValue(QJsonValue::Null)
                                              : QJsonValue(result.unusableProxy)},
    };
}

QString indented(const QString &text)
{
    QString out;
    for (const QString &line : text.split(QLatin1Char('\n')))
        out += (line.isEmpty() ? QString() : QStringLiteral("    ") + line) + QLatin1Char('\n');
    return out;
}

} // namespace

ScanReport runScan(const std::function<void(const QString &)> &progress, const Clock &clock)
{
    QElapsedTimer timer;
    timer.start();
    DiagnosticsRun run;
    run.ctx = DiagnosticsRun::buildContext();
    ScanReport report;
    StepSchedule steps(run);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (progress)
            progress(steps.name(i));
        report.findings += steps.findings(i);
    }
    report.seconds = double(timer.elapsed()) / 1000.0;
    report.finishedAt = clock();
    report.ai = AIStatusStore::shared().items();
    // The last step has just fetched the search page; a second fetch would only repeat it.
    const std::optional<NetVerifyResult> web = run.webResult();
    report.internet = web ? *web : NetVerify::bingSearch();
    return report;
}

QJsonObject toJson(const ScanReport &report)
{
    QJsonArray findings;
    for (const Finding &finding : report.findings)
        findings.append(findingToJson(finding));
    QJsonArray ai;
    for (const AIStatus &row : report.ai)
        ai.append(aiToJson(row));
    return {
        {QStringLiteral("findings"), findings},
        {QStringLiteral("ai"), ai},
        {QStringLiteral("internet"), verifyToJson(report.internet)},
        {QStringLiteral("seconds"), report.seconds},
    };
}

QByteArray jsonDocument(const ScanReport &report)
{
    return QJsonDocument(toJson(report)).toJson(QJsonDocument::Indented);
}

QString toText(const ScanReport &report)
{
    QString out;
    for (const Finding &finding : report.findings) {
        out += QLatin1Char('[') + label(finding.severity) + QStringLiteral("] ") + finding.title +
               QLatin1Char('\n');
        if (!finding.detail.isEmpty())
            out += indented(finding.detail);
        if (finding.fix)
            out +=
                QStringLiteral("    ") +
                Texts::tr("修复：%1 · brevik --fix %2").arg(finding.fix->title, finding.fix->id) +
                QLatin1Char('\n');
        out += QLatin1Char('\n');
    }
    out += Texts::tr("上网实测：%1").arg(report.internet.summary) + QLatin1Char('\n');
    return out;
}

} // namespace brevik
