#include "diagnostics/decisions.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/endpoints.h"
#include "diagnostics/makefinding.h"
#include "exec/probes.h"

#include <QCoreApplication>

#include <optional>
#include <thread>
#include <vector>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CheckAi)
};

struct AIService {
    QString id; // the same in every language
    QString name;
    QString url;
    QString note;
};

// Built on each call, in the language of the moment.
QList<AIService> aiServices()
{
    return {
        {QStringLiteral("DeepSeek"), QStringLiteral("DeepSeek"), Endpoints::kDeepSeekUrl,
         QStringLiteral("DeepSeek API")},
        {QStringLiteral("Claude"), QStringLiteral("Claude"), Endpoints::kAnthropicUrl,
         QStringLiteral("Anthropic Claude API / Claude Code")},
        {QStringLiteral("ChatGPT"), QStringLiteral("ChatGPT"), Endpoints::kOpenAIUrl,
         QStringLiteral("OpenAI API")},
        {QStringLiteral("GLM 智谱"), Texts::tr("GLM 智谱"), Endpoints::kGlmUrl,
         Texts::tr("GLM-4 / 智谱开放平台")},
        {QStringLiteral("Gemini"), QStringLiteral("Gemini"), Endpoints::kGeminiUrl,
         QStringLiteral("Google Gemini")},
        {QStringLiteral("HuggingFace"), QStringLiteral("HuggingFace"), Endpoints::kHuggingFaceUrl,
         Texts::tr("模型下载")},
    };
}

// curl's own limit; the command gets four seconds more.
constexpr int kProbeSeconds = 6;

struct RowResult {
    AIStatus status;
    QString line;
};

// Any HTTP answer, 401 and 404 included, proves the path: no request carries credentials.
RowResult rowResult(const AIService &service, const AIRowObservation &seen)
{
    const HttpProbeResult &direct = seen.direct;
    const bool proxyOK = seen.proxied && seen.proxied->ok;

    RowResult row;
    row.status = AIStatus{.id = service.id,
                          .name = service.name,
                          .url = service.url,
                          .directOK = direct.ok,
                          .proxyOK = proxyOK,
                          .latencyMs = direct.ok ? direct.ms : (proxyOK ? seen.proxied->ms : 0),
                          .note = service.note};

    const auto outcome = [](bool ok, qint64 ms) {
        return ok ? QStringLiteral("✅ ") + QString::number(ms) + QStringLiteral("ms")
                  : QStringLiteral("❌");
    };
    const QString proxied = seen.proxied ? outcome(proxyOK, seen.proxied->ms) : QStringLiteral("—");
    row.line = Texts::tr("%1：直连 %2｜代理 %3", "an AI service: direct, through the proxy")
                   .arg(service.name, outcome(direct.ok, direct.ms), proxied);
    return row;
}

QList<RowResult> rowResults(const AIObservation &seen)
{
    const QList<AIService> services = aiServices();
    QList<RowResult> rows;
    for (qsizetype i = 0; i < services.size() && i < seen.rows.size(); ++i)
        rows << rowResult(services.at(i), seen.rows.at(i));
    return rows;
}

Finding aiFinding(int directSuccesses, int proxySuccesses, const QString &report)
{
    Finding finding;
    finding.category = CheckCategory::ai;
    if (directSuccesses > 0 && proxySuccesses > 0) {
        finding.id = QStringLiteral("ai-ok");
        finding.title = Texts::tr("AI 服务连通正常");
        finding.severity = Severity::ok;
        finding.detail = Texts::tr("直连与代理均可用：\n%1").arg(report);
    } else if (directSuccesses > 0) {
        finding.id = QStringLiteral("ai-direct-only");
        finding.title = Texts::tr("AI 服务可直连（代理不可用）");
        finding.severity = Severity::info;
        finding.detail = Texts::tr("直连正常，但通过代理访问失败：\n%1\n\n"
                                   "提示：部分服务直连可用，Claude/Gemini 等通常仍需代理。")
                             .arg(report);
        finding.manualSteps = {Texts::tr("如遇 Claude / Gemini 打不开，请检查 ClashX 节点")};
    } else if (proxySuccesses > 0) {
        finding.id = QStringLiteral("ai-need-proxy");
        finding.title = Texts::tr("AI 服务需经代理访问（当前代理可用）");
        finding.severity = Severity::warn;
        finding.detail =
            Texts::tr(
                "直连全部失败，通过代理可正常访问：\n%1\n\n"
                "⚠️ 注意：这就是「关掉 ClashX 就不能上网」的连带原因——"
                "代理一旦退出，请务必同时关闭系统代理，"
                "否则整机断网（本工具可一键处理）。")
                .arg(report);
        finding.fixHint =
            Texts::tr("保持 ClashX 运行即可；若需关闭 "
                      "ClashX，请先点「一键关闭系统代理」或直接使用上方代理故障修复。");
        finding.manualSteps = {Texts::tr("ClashX 常驻菜单栏"),
                               Texts::tr("关闭 ClashX 前先在 ClashX 菜单取消「设置为系统代理」"),
                               Texts::tr("或使用本工具的「一键关闭系统代理」")};
    } else {
        finding.id = QStringLiteral("ai-all-fail");
        finding.title = Texts::tr("AI 服务全部无法访问");
        finding.severity = Severity::error;
        finding.detail = Texts::tr("直连与代理两种方式都失败：\n%1\n\n"
                                   "说明底层网络或代理链路本身有问题（先解决上面的连接 / "
                                   "代理故障）。")
                             .arg(report);
        finding.fixHint = Texts::tr("先修复基础网络与代理问题，再重新扫描。");
        finding.manualSteps = {Texts::tr("确认 ClashX 已启动且节点可用"),
                               Texts::tr("ClashX 菜单 → 重新设置系统代理"),
                               Texts::tr("必要时更换代理节点/订阅")};
    }
    return finding;
}

} // namespace

std::optional<QString> aiProxy(const NetContext &ctx)
{
    // A proxy switched on but dead is not worth trying: every probe through it would fail.
    if (!ctx.proxyTargetAlive)
        return std::nullopt;
    const QString host = ctx.proxyHost.isEmpty() ? QStringLiteral("127.0.0.1") : ctx.proxyHost;
    // A SOCKS-only proxy does not speak HTTP; curl resolves names through it as well.
    const QString scheme =
        ctx.proxyServerKind == QLatin1String("SOCKS") ? QStringLiteral("socks5h://") : QString();
    return scheme + host + QLatin1Char(':') + ctx.proxyPort;
}

AIObservation DiagnosticsRun::observeAI() const
{
    AIObservation seen;
    seen.proxy = aiProxy(ctx);
    const StepProbes probes = probesFor(StepPlace::ai);
    const std::optional<QString> proxy = seen.proxy;
    // Both paths of a row time one request each to the same host; they run side by side.
    const auto observeRow = [&](const AIService &service) {
        const auto probe = [&](const std::optional<QString> &through) {
            return probes.gated(ProbeKind::timed,
                                [&] { return httpProbe(service.url, through, kProbeSeconds); });
        };
        const auto [direct, proxied] = probes.together([&] { return probe(std::nullopt); },
                                                       [&]() -> std::optional<HttpProbeResult> {
                                                           if (!proxy)
                                                               return std::nullopt;
                                                           return probe(proxy);
                                                       });
        return AIRowObservation{direct, proxied};
    };

    const QList<AIService> services = aiServices();
    // One thread per service, not a pool, whatever the pace: a 2-core machine must still wait
    // for six slow endpoints at once, or a scan with no network would take six times as long.
    // Each row writes only its own slot, so the rows keep the table's order.
    std::vector<AIRowObservation> rows(services.size());
    std::vector<std::thread> workers;
    workers.reserve(services.size());
    for (qsizetype i = 0; i < services.size(); ++i)
        workers.emplace_back([&, i] { rows[i] = observeRow(services.at(i)); });
    for (std::thread &worker : workers)
        worker.join();
    seen.rows = QList<AIRowObservation>(rows.begin(), rows.end());
    return seen;
}

QList<AIStatus> aiStatuses(const AIObservation &seen)
{
    QList<AIStatus> items;
    for (const RowResult &row : rowResults(seen))
        items << row.status;
    return items;
}

QList<Finding> decideAI(const NetContext &, const AIObservation &seen)
{
    int directSuccesses = 0;
    int proxySuccesses = 0;
    QStringList lines;
    for (const RowResult &row : rowResults(seen)) {
        directSuccesses += row.status.directOK ? 1 : 0;
        proxySuccesses += row.status.proxyOK ? 1 : 0;
        lines << row.line;
    }
    return {aiFinding(directSuccesses, proxySuccesses, lines.join(QLatin1Char('\n')))};
}

} // namespace brevik
