#include "diagnostics/netverify.h"

#include "diagnostics/endpoints.h"
#include "exec/probes.h"
#include "exec/shell.h"
#include "model/proxyendpoint.h"

#include <QCoreApplication>
#include <QList>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(NetVerify)
};

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
        return Texts::tr("系统代理 %1 端口无法连接").arg(addr);
    return Texts::tr("经系统代理 %1 访问失败（HTTP %2）").arg(addr, fetch->code);
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
            paths << Path{Texts::tr("系统代理 %1").arg(proxy.addr),
                          (proxy.socks ? QStringLiteral("socks5h://") : QString()) + proxy.addr};
    }
    paths << Path{Texts::tr("直连"), std::nullopt};

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
            const QString ms = QString::number(fetch.ms);
            // The page came directly, yet browsers and apps send their requests to the
            // switched-on proxy: for them the net is down, whatever curl managed.
            if (proxyOn && !path.proxy) {
                result.unusableProxy = proxy.addr;
                result.summary = Texts::tr("仅直连通过 %1 搜索访问测试（HTTP %2 · %3 ms · %4）；"
                                           "%5，走系统代理的应用仍无法上网。")
                                     .arg(Endpoints::kSearchHost, fetch.code, ms, path.label,
                                          whyUnusable(proxy.addr, proxyFetch));
                return result;
            }
            result.summary = Texts::tr("已通过 %1 搜索访问测试（HTTP %2 · %3 ms · %4）")
                                 .arg(Endpoints::kSearchHost, fetch.code, ms, path.label);
            return result;
        }
    }
    if (proxyOn)
        result.unusableProxy = proxy.addr;
    result.summary = Texts::tr("两种通路都失败（%1）。请检查网络连接或代理设置。")
                         .arg(result.tried.join(Texts::tr("；", "between the items of a list")));
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
