#include "model/proxyendpoint.h"

#include <QMap>
#include <QStringList>
#include <QUrl>

namespace brevik {

namespace {

// "  HTTPPort : 7890" → {"HTTPPort", "7890"}; "  HTTPProxy :" (nothing after it) → empty value.
// Lines of the ExceptionsList array ("0 : 127.0.0.1") become harmless numeric keys.
QMap<QString, QString> scutilKeys(const QString &output)
{
    QMap<QString, QString> keys;
    for (const QString &raw : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString line = raw.trimmed();
        const qsizetype colon = line.indexOf(QLatin1String(" :"));
        if (colon > 0)
            keys.insert(line.left(colon), line.mid(colon + 2).trimmed());
    }
    return keys;
}

} // namespace

ProxyEndpoint pacEndpoint(const QString &url)
{
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || parsed.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    const int port = parsed.port(scheme == QLatin1String("https") ? 443 : 80);
    return {parsed.host(), QString::number(port)};
}

bool isLoopbackHost(const QString &host)
{
    const QString h = host.trimmed().toLower();
    if (h.isEmpty() || h == QLatin1String("localhost") || h == QLatin1String("::1") ||
        h == QLatin1String("[::1]"))
        return true;
    const QStringList parts = h.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || value < 0 || value > 255)
            return false;
    }
    return parts.first() == QLatin1String("127");
}

ScutilProxy parseScutilProxy(const QString &output)
{
    const QMap<QString, QString> keys = scutilKeys(output);
    const auto on = [&](const QString &key) { return keys.value(key) == QLatin1String("1"); };
    ScutilProxy proxy;
    proxy.enabled = on(QStringLiteral("HTTPEnable")) || on(QStringLiteral("HTTPSEnable")) ||
                    on(QStringLiteral("SOCKSEnable")) ||
                    on(QStringLiteral("ProxyAutoConfigEnable"));
    for (const char *kind : {"HTTP", "HTTPS", "SOCKS"}) {
        const QString prefix = QLatin1String(kind);
        const QString port = keys.value(prefix + QStringLiteral("Port"));
        if (!on(prefix + QStringLiteral("Enable")) || port.isEmpty())
            continue;
        proxy.kind = prefix;
        proxy.port = port;
        // "HTTPProxy :" with nothing after it
        const QString host = keys.value(prefix + QStringLiteral("Proxy"));
        if (!host.isEmpty())
            proxy.host = host;
        return proxy;
    }
    if (on(QStringLiteral("ProxyAutoConfigEnable"))) {
        const ProxyEndpoint pac =
            pacEndpoint(keys.value(QStringLiteral("ProxyAutoConfigURLString")));
        if (!pac.port.isEmpty()) {
            proxy.kind = QStringLiteral("PAC");
            proxy.host = pac.host;
            proxy.port = pac.port;
        }
    }
    return proxy;
}

} // namespace brevik
