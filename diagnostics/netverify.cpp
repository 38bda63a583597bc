#include "diagnostics/netverify.h"

#include "diagnostics/endpoints.h"
#include "exec/probes.h"
#include "exec/shell.h"
#include "model/proxyendpoint.h"

#include <QList>

namespace brevik {

namespace {

struct Path {
    QString label;
    std::optional<QString> proxy;
};

// "127.0.0.1:7890" → "127.0.0.1 7890" for nc, each half a harmless shell word: the address
// comes from the system's proxy settings, which any program may have written.
QString ncTarget(const QString &addr)
{
    const qsizetype colon = addr.lastIndexOf(QLatin1Char(':'));
    return shellWord(addr.left(colon)) + QLatin1Char(' ') + shellWord(addr.mid(colon + 1));
}

// Why the switched-on proxy was no way out, as the summary says it.
QString whyUnusable(const QString &addr, const std::optional<NetVerify::ProbeResult> &fetch)
{
    if (!fetch)
        return QStringLiteral("系统代理 ") + addr + QStringLiteral(" 端口无法连接");
    return QStringLiteral("经系统代理 ") + addr + QStringLiteral(" 访问失败（HTTP ") + fetch->code +
           QStringLiteral("）");
}

} // namespace

WebVerdict NetVerifyResult::verdict() const
{
    if (!ok)
        return WebVerdict::failed;
    return unusableProxy.isEmpty() ? WebVerdict::usable : WebVerdict::directOnly;
}

namespace NetVerify {

const QString userAgent = QStringLiteral(
    "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/120.0 Safari/537.36");
const QString bingURL = QStringLiteral("https://") + Endpoints::kSearchHost +
                        QStringLiteral("/search?q=internet+connection+test");

NetVerifyResult bingSearch(int timeout)
{
    return bingSearch(timeout, StepProbes());
}

SystemProxy systemProxy()
{
    return systemProxy(StepProbes());
}

ProbeResult probe(const QString &url, const std::optional<QString> &proxy, int timeout)
{
    return probe(url, proxy, timeout, StepProbes());
}

NetVerifyResult bingSearch(int timeout, const StepProbes &probes)
{
    NetVerifyResult result;
    QList<Path> paths;
    const SystemProxy proxy = systemProxy(probes);
    // The fetch through the switched-on proxy; none when its port refused.
    std::optional<ProbeResult> proxyFetch;
    const bool proxyOn = proxy.enabled && !proxy.addr.isEmpty();
    if (proxyOn) {
        // A proxy whose port refuses connections would only add a slow failure.
        const ShellResult port = probes.run(ProbeKind::light,
                                            QStringLiteral("nc -z -G 1 ") + ncTarget(proxy.addr) +
                                                QStringLiteral(" 2>/dev/null"),
                                            6);
        if (port.succeeded())
            paths << Path{QStringLiteral("系统代理 ") + proxy.addr,
                          (proxy.socks ? QStringLiteral("socks5h://") : QString()) + proxy.addr};
    }
    paths << Path{QStringLiteral("直连"), std::nullopt};

    for (const Path &path : paths) {
        // The paths are tried one after the other, never side by side: the direct fetch is
        // only wanted when the proxy's failed.
        const ProbeResult fetch = probe(bingURL, path.proxy, timeout, probes);
        result.tried << path.label + QStringLiteral(" → HTTP ") + fetch.code +
                            (fetch.ok ? QStringLiteral(" ✅") : QStringLiteral(" ❌"));
        if (path.proxy)
            proxyFetch = fetch;
        if (fetch.ok) {
            result.ok = true;
            result.code = fetch.code;
            result.ms = fetch.ms;
            result.via = path.label;
            const QString passed = QStringLiteral(" 搜索访问测试（HTTP ") + fetch.code +
                                   QStringLiteral(" · ") + QString::number(fetch.ms) +
                                   QStringLiteral(" ms · ") + path.label + QStringLiteral("）");
            // The page came directly, yet browsers and apps send their requests to the
            // switched-on proxy: for them the net is down, whatever curl managed.
            if (proxyOn && !path.proxy) {
                result.unusableProxy = proxy.addr;
                result.summary = QStringLiteral("仅直连通过 ") + Endpoints::kSearchHost + passed +
                                 QStringLiteral("；") + whyUnusable(proxy.addr, proxyFetch) +
                                 QStringLiteral("，走系统代理的应用仍无法上网。");
                return result;
            }
            result.summary = QStringLiteral("已通过 ") + Endpoints::kSearchHost + passed;
            return result;
        }
    }
    if (proxyOn)
        result.unusableProxy = proxy.addr;
    result.summary = QStringLiteral("两种通路都失败（") + result.tried.join(QStringLiteral("；")) +
                     QStringLiteral("）。请检查网络连接或代理设置。");
    return result;
}

SystemProxy systemProxy(const StepProbes &probes)
{
    const ScutilProxy read =
        parseScutilProxy(probes.run(ProbeKind::local, QStringLiteral("scutil --proxy"), 6).output);
    SystemProxy proxy;
    proxy.enabled = read.enabled;
    // curl cannot run an automatic proxy (PAC) file; the page is then fetched directly.
    if (!read.port.isEmpty() && read.kind != QLatin1String("PAC")) {
        proxy.addr = read.host + QLatin1Char(':') + read.port;
        proxy.socks = read.kind == QLatin1String("SOCKS");
    }
    return proxy;
}

ProbeResult probe(const QString &url, const std::optional<QString> &proxy, int timeout,
                  const StepProbes &probes)
{
    QString command = QStringLiteral("curl -sL -o /dev/null -m ") + QString::number(timeout) +
                      QStringLiteral(" -w '%{http_code} %{time_total}' -A ") +
                      shellQuote(userAgent);
    // The proxy address is read from scutil, so it is quoted like any other outside value;
    // for an ordinary host:port this is the same 'http://host:port' word.
    if (proxy && !proxy->isEmpty())
        command += QStringLiteral(" -x ") + shellQuote(curlProxyUrl(*proxy));
    else
        command += QStringLiteral(" --noproxy '*'");
    command += QLatin1Char(' ') + shellQuote(url);

    // It times itself: the "ms" of the verdict.
    const QStringList pieces = probes.run(ProbeKind::timed, command, timeout + 4.0)
                                   .output.trimmed()
                                   .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    ProbeResult result;
    if (pieces.isEmpty())
        return result;
    result.code = pieces.at(0);
    if (pieces.size() > 1)
        result.ms = curlSecondsToMs(pieces.at(1));
    result.ok = result.code.startsWith(QLatin1Char('2'));
    return result;
}

} // namespace NetVerify

} // namespace brevik
