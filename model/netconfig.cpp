#include "model/netconfig.h"

#include "exec/shell.h"

namespace {

struct ProxyKind {
    const char *querySuffix;
    QString label;
};

const QList<ProxyKind> &proxyKinds()
{
    static const QList<ProxyKind> kinds{
        {"webproxy", QStringLiteral("HTTP")},
        {"securewebproxy", QStringLiteral("HTTPS")},
        {"socksfirewallproxy", QStringLiteral("SOCKS")},
        // The automatic proxy is read with the URL query; it prints "URL:" and "Enabled:".
        {"autoproxyurl", QStringLiteral("自动代理(PAC)")},
    };
    return kinds;
}

QStringList lines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString valueAfter(QString line, const QString &prefix)
{
    return line.remove(prefix).trimmed();
}

} // namespace

namespace NetConfig {

QStringList allServices()
{
    // "An asterisk (*) denotes that a network service is disabled." heads the list.
    const QStringList output =
        lines(shell(QStringLiteral("networksetup -listallnetworkservices 2>/dev/null"), 25).output);
    QStringList services;
    for (qsizetype i = 1; i < output.size(); ++i) {
        QString name = output.at(i).trimmed();
        if (name.startsWith(QLatin1Char('*')))
            name = name.mid(1).trimmed();
        if (!name.isEmpty())
            services << name;
    }
    return services;
}

ProxyState proxyState(const QString &service)
{
    const QString quoted = shellQuote(service);
    ProxyState state;
    for (const ProxyKind &kind : proxyKinds()) {
        const QString output =
            shell(QStringLiteral("networksetup -get") + QLatin1String(kind.querySuffix) +
                      QLatin1Char(' ') + quoted + QStringLiteral(" 2>/dev/null"),
                  25)
                .output;
        if (output.isEmpty())
            continue;
        bool on = false;
        const bool automatic = kind.label.startsWith(QStringLiteral("自动"));
        for (const QString &raw : lines(output)) {
            const QString line = raw.trimmed();
            if (line.startsWith(QLatin1String("Enabled:"))) {
                on = line.contains(QLatin1String("Yes"));
            } else if (line.startsWith(QLatin1String("Server:"))) {
                // A switched-off kind still prints its old server; it counts all the same.
                if (state.host.isEmpty())
                    state.host = valueAfter(line, QStringLiteral("Server:"));
            } else if (line.startsWith(QLatin1String("Port:"))) {
                if (state.port.isEmpty())
                    state.port = valueAfter(line, QStringLiteral("Port:"));
            } else if (automatic && line.startsWith(QLatin1String("URL:"))) {
                if (state.host.isEmpty())
                    state.host = valueAfter(line, QStringLiteral("URL:"));
            }
        }
        if (on) {
            state.kinds << kind.label;
            state.enabled = true;
        }
    }
    const QString bypass = shell(QStringLiteral("networksetup -getproxybypassdomains ") + quoted +
                                     QStringLiteral(" 2>/dev/null"),
                                 25)
                               .output;
    for (const QString &line : lines(bypass)) {
        const QString entry = line.trimmed();
        if (!entry.isEmpty())
            state.bypass << entry;
    }
    return state;
}

QStringList disableProxyCommands(const QString &service)
{
    const QString q = shellQuote(service);
    return {
        QStringLiteral("networksetup -setwebproxystate ") + q + QStringLiteral(" off"),
        QStringLiteral("networksetup -setsecurewebproxystate ") + q + QStringLiteral(" off"),
        QStringLiteral("networksetup -setsocksfirewallproxystate ") + q + QStringLiteral(" off"),
        QStringLiteral("networksetup -setautoproxystate ") + q + QStringLiteral(" off"),
    };
}

QStringList enableProxyCommands(const QString &service, const QString &host, const QString &port)
{
    const QString q = shellQuote(service);
    const QString target = QLatin1Char(' ') + shellWord(host) + QLatin1Char(' ') + shellWord(port);
    return {
        QStringLiteral("networksetup -setwebproxy ") + q + target,
        QStringLiteral("networksetup -setsecurewebproxy ") + q + target,
        QStringLiteral("networksetup -setsocksfirewallproxy ") + q + target,
        QStringLiteral("networksetup -setproxybypassdomains ") + q +
            QStringLiteral(" 127.0.0.1 localhost *.local 10.0.0.0/8 172.16.0.0/12 192.168.0.0/16"),
    };
}

bool defaultBypassNeeded(const QStringList &bypass)
{
    return !(bypass.contains(QStringLiteral("127.0.0.1")) &&
             bypass.contains(QStringLiteral("localhost")));
}

} // namespace NetConfig
