#include "model/netconfig.h"

#include "exec/shell.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

namespace brevik {

namespace {

struct ProxyQuery {
    const char *querySuffix;
    const char *label;      // a protocol's name, or the text naming the automatic proxy
    bool automatic = false; // prints "URL:" instead of "Server:" and "Port:"

    QString labelText() const
    {
        return automatic ? QCoreApplication::translate("NetConfig", label)
                         : QString::fromLatin1(label);
    }
};

constexpr ProxyQuery kProxyKinds[]{
    {"webproxy", "HTTP"},
    {"securewebproxy", "HTTPS"},
    {"socksfirewallproxy", "SOCKS"},
    // The automatic proxy is read with the URL query; it prints "URL:" and "Enabled:".
    {"autoproxyurl", QT_TRANSLATE_NOOP("NetConfig", "自动代理(PAC)"), true},
};

QStringList lines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString valueAfter(QString line, const QString &prefix)
{
    return line.remove(prefix).trimmed();
}

// The local address, the local name, the multicast-name domain and the private IPv4 ranges.
const QStringList kDefaultBypass{
    QStringLiteral("127.0.0.1"),  QStringLiteral("localhost"),     QStringLiteral("*.local"),
    QStringLiteral("10.0.0.0/8"), QStringLiteral("172.16.0.0/12"), QStringLiteral("192.168.0.0/16"),
};

} // namespace

namespace NetConfig {

QList<NetworkService> services()
{
    // "An asterisk (*) denotes that a network service is disabled." heads the list.
    const QStringList output =
        lines(shell(QStringLiteral("networksetup -listallnetworkservices 2>/dev/null"), 25).output);
    QList<NetworkService> list;
    for (qsizetype i = 1; i < output.size(); ++i) {
        QString name = output.at(i).trimmed();
        const bool switchedOff = name.startsWith(QLatin1Char('*'));
        if (switchedOff)
            name = name.mid(1).trimmed();
        if (!name.isEmpty() && !isToolError(name))
            list << NetworkService{name, !switchedOff};
    }
    return list;
}

QList<ServiceOrderEntry> serviceOrder()
{
    const QString output =
        shell(QStringLiteral("networksetup -listnetworkserviceorder 2>/dev/null"), 25).output;
    QList<ServiceOrderEntry> order;
    for (const QString &raw : lines(output)) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1String("(Hardware Port:"))) {
            // The port name may hold a comma; the device comes last.
            const qsizetype device = line.lastIndexOf(QLatin1String(", Device:"));
            if (!order.isEmpty() && device >= 0)
                order.last().device = valueAfter(line.mid(device + 2).remove(QLatin1Char(')')),
                                                 QStringLiteral("Device:"));
        } else if (line.startsWith(QLatin1Char('('))) {
            // "(1) Wi-Fi"; a switched-off service is numbered "(*)".
            const qsizetype close = line.indexOf(QLatin1Char(')'));
            const QString name = line.mid(close + 1).trimmed();
            if (close > 0 && !name.isEmpty()) {
                ServiceOrderEntry entry;
                entry.name = name;
                entry.enabled = line.mid(1, close - 1) != QLatin1String("*");
                order << entry;
            }
        }
    }
    return order;
}

QStringList allServices()
{
    QStringList names;
    for (const NetworkService &service : services())
        names << service.name;
    return names;
}

ProxyState proxyState(const QString &service)
{
    const QString quoted = shellQuote(service);
    ProxyState state;
    for (const ProxyQuery &kind : kProxyKinds) {
        const QString output =
            shell(QStringLiteral("networksetup -get") + QLatin1String(kind.querySuffix) +
                      QLatin1Char(' ') + quoted + QStringLiteral(" 2>/dev/null"),
                  25)
                .output;
        if (output.isEmpty() || reportsError(output))
            continue;
        bool on = false;
        QString server;
        QString port;
        QString url;
        for (const QString &raw : lines(output)) {
            const QString line = raw.trimmed();
            if (line.startsWith(QLatin1String("Enabled:")))
                on = line.contains(QLatin1String("Yes"));
            else if (line.startsWith(QLatin1String("Server:")))
                server = valueAfter(line, QStringLiteral("Server:"));
            else if (line.startsWith(QLatin1String("Port:")))
                port = valueAfter(line, QStringLiteral("Port:"));
            else if (line.startsWith(QLatin1String("URL:")))
                url = valueAfter(line, QStringLiteral("URL:"));
        }
        if (!on)
            continue;
        state.kinds << kind.labelText();
        state.enabled = true;
        if (kind.automatic) {
            // "URL: (null)" is what a PAC that was never given a URL prints.
            if (url != QLatin1String("(null)"))
                state.pacUrl = url;
        } else if (state.serverKind.isEmpty()) {
            state.host = server;
            state.port = port;
            state.serverKind = kind.labelText();
        }
    }
    const QString bypass = shell(QStringLiteral("networksetup -getproxybypassdomains ") + quoted +
                                     QStringLiteral(" 2>/dev/null"),
                                 25)
                               .output;
    if (reportsError(bypass))
        return state;
    for (const QString &line : lines(bypass)) {
        const QString entry = line.trimmed();
        if (!entry.isEmpty())
            state.bypass << entry;
    }
    return state;
}

QList<RepairOp> disableProxyOps(const QString &service)
{
    QList<RepairOp> ops;
    for (const ProxyKind kind :
         {ProxyKind::web, ProxyKind::secureWeb, ProxyKind::socks, ProxyKind::automatic})
        ops << RepairOps::ProxyState{service, kind, false};
    return ops;
}

QStringList disableProxyCommands(const QString &service)
{
    return renderCommands(disableProxyOps(service));
}

QList<RepairOp> enableProxyOps(const QString &service, const QString &host, const QString &port)
{
    QList<RepairOp> ops;
    for (const ProxyKind kind : {ProxyKind::web, ProxyKind::secureWeb, ProxyKind::socks})
        ops << RepairOps::ProxyServer{service, kind, host, port};
    return ops << completeBypassOp(service, {});
}

bool isToolError(const QString &line)
{
    const QString text = line.trimmed();
    return text.startsWith(QLatin1String("** Error:")) ||
           text.endsWith(QLatin1String("is not a recognized network service."));
}

bool reportsError(const QString &output)
{
    const QStringList all = lines(output);
    return std::any_of(all.begin(), all.end(), isToolError);
}

bool defaultBypassNeeded(const QStringList &bypass)
{
    return !(bypass.contains(QStringLiteral("127.0.0.1")) &&
             bypass.contains(QStringLiteral("localhost")));
}

RepairOp completeBypassOp(const QString &service, const QStringList &current)
{
    QStringList entries;
    for (const QString &line : current) {
        const QString entry = line.trimmed();
        // No entry holds a blank; the tool's messages all do.
        if (!entry.isEmpty() && !entry.contains(QLatin1Char(' ')) && !entries.contains(entry))
            entries << entry;
    }
    for (const QString &entry : kDefaultBypass) {
        if (!entries.contains(entry))
            entries << entry;
    }
    return RepairOps::BypassDomains{service, entries};
}

} // namespace NetConfig

} // namespace brevik
