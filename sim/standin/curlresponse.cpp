#include "sim/standin/curlresponse.h"

#include "sim/scenario.h"
#include "sim/standin/network.h"
#include "sim/standin/sim.h"

#include <QDateTime>
#include <QLocale>
#include <QUrl>

#include <cmath>

namespace brevik {

namespace {

// A transfer through a path-MTU black hole gets its first segments, then nothing.
constexpr qint64 kStallBytes = 4344;
// Certificates are issued for months; a clock off by more than this fails TLS.
constexpr double kCertificateSlack = 30.0 * 86400;

QString reason(int status)
{
    switch (status) {
    case 200:
        return QStringLiteral("OK");
    case 204:
        return QStringLiteral("No Content");
    case 301:
        return QStringLiteral("Moved Permanently");
    case 302:
        return QStringLiteral("Found");
    case 307:
        return QStringLiteral("Temporary Redirect");
    case 400:
        return QStringLiteral("Bad Request");
    case 401:
        return QStringLiteral("Unauthorized");
    case 403:
        return QStringLiteral("Forbidden");
    case 404:
        return QStringLiteral("Not Found");
    case 502:
        return QStringLiteral("Bad Gateway");
    case 503:
        return QStringLiteral("Service Unavailable");
    default:
        return QString();
    }
}

QString pathAndQuery(const QUrl &url)
{
    QString path = url.path(QUrl::FullyEncoded);
    if (path.isEmpty())
        path = QStringLiteral("/");
    if (url.hasQuery())
        path += QLatin1Char('?') + url.query(QUrl::FullyEncoded);
    return path;
}

// The site's answer for a path: the path's own entry, else the site's "direct" answer; a
// site that lists only paths answers 404 elsewhere.
QJsonObject directResponse(const QJsonObject &site, const QString &path, bool ipv6)
{
    const QJsonObject paths = site.value(QStringLiteral("paths")).toObject();
    if (paths.contains(path))
        return paths.value(path).toObject();
    if (ipv6 && site.contains(QStringLiteral("direct6")))
        return site.value(QStringLiteral("direct6")).toObject();
    if (site.contains(QStringLiteral("direct")))
        return site.value(QStringLiteral("direct")).toObject();
    return QJsonObject{{"status", 404}, {"time", 0.1}};
}

// Through the proxy client: the path's or the site's "proxy" answer laid over the direct
// one, else the direct answer a little later (the detour costs time).
QJsonObject proxiedResponse(const QJsonObject &site, const QString &path)
{
    QJsonObject base = directResponse(site, path, false);
    QJsonObject over = base.value(QStringLiteral("proxy")).toObject();
    if (over.isEmpty())
        over = site.value(QStringLiteral("proxy")).toObject();
    if (over.isEmpty()) {
        base.insert(QStringLiteral("time"),
                    base.value(QStringLiteral("time")).toDouble(0.1) + 0.15);
        return base;
    }
    if (over.contains(QStringLiteral("error")))
        return over;
    base.remove(QStringLiteral("error"));
    return Scenario::merge(base, over).toObject();
}

QString httpDate()
{
    return QLocale::c().toString(QDateTime::currentDateTimeUtc(),
                                 QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
}

QString headerBlock(bool http2, int status, const QJsonObject &response, qint64 size)
{
    const QString type = response.value(QStringLiteral("contentType"))
                             .toString(QStringLiteral("text/html; charset=utf-8"));
    QList<QPair<QString, QString>> fields;
    if (!response.value(QStringLiteral("noDate")).toBool())
        fields << qMakePair(QStringLiteral("date"), httpDate());
    fields << qMakePair(QStringLiteral("content-type"), type);
    fields << qMakePair(QStringLiteral("content-length"), QString::number(size));
    const QString location = response.value(QStringLiteral("location")).toString();
    if (!location.isEmpty())
        fields << qMakePair(QStringLiteral("location"), location);
    const QJsonObject extra = response.value(QStringLiteral("headers")).toObject();
    for (auto it = extra.begin(); it != extra.end(); ++it)
        fields << qMakePair(it.key(), it.value().toString());
    QString text = http2 ? QStringLiteral("HTTP/2 %1 \r\n").arg(status)
                         : QStringLiteral("HTTP/1.1 %1 %2\r\n").arg(status).arg(reason(status));
    for (auto [name, value] : fields) {
        // HTTP/2 header names are lower case; HTTP/1.1 servers capitalise them.
        if (!http2) {
            QStringList words = name.split(QLatin1Char('-'));
            for (QString &word : words)
                word = word.left(1).toUpper() + word.mid(1);
            name = words.join(QLatin1Char('-'));
        }
        text += name + QStringLiteral(": ") + value + QStringLiteral("\r\n");
    }
    return text + QStringLiteral("\r\n");
}

bool pathStalls(const QJsonObject &state)
{
    const QJsonObject network = state.value(QStringLiteral("network")).toObject();
    const int pathMtu = network.value(QStringLiteral("pathMtu")).toInt(1500);
    const int mtu = at(state, {"interfaces", Net::routeInterface(state), "mtu"}).toInt(1500);
    return network.value(QStringLiteral("pmtuBlackhole")).toBool(true) && mtu > pathMtu;
}

} // namespace

Transfer fetch(const Sim &sim, const Request &request)
{
    Transfer t;
    t.url = request.url;
    const QJsonObject &state = sim.state();
    double spent = 0.004;
    auto fail = [&](int exit, const QString &message) {
        t.exit = exit;
        t.error = message;
        t.code = 0;
        t.time = std::min(request.limit, request.elapsed + spent);
        return t;
    };
    auto timedOut = [&](qint64 received = 0) {
        t.exit = 28;
        t.time = request.limit;
        t.size = received;
        t.error = QStringLiteral("Operation timed out after %1 milliseconds with %2 bytes received")
                      .arg(qint64(request.limit * 1000) + 1)
                      .arg(received);
        return t;
    };

    const QUrl url(request.url);
    const QString scheme = url.scheme().toLower();
    const QString host = url.host();
    if (!url.isValid() || host.isEmpty())
        return fail(3, QStringLiteral("URL rejected: Malformed input to a URL function"));
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return fail(1, QStringLiteral("Protocol \"%1\" not supported").arg(scheme));
    const bool https = scheme == QLatin1String("https");
    const int port = url.port(https ? 443 : 80);
    const QString path = pathAndQuery(url);

    QJsonObject response;
    if (!request.proxy.isEmpty()) {
        const QUrl proxy(request.proxy.contains(QLatin1String("://"))
                             ? request.proxy
                             : QStringLiteral("http://") + request.proxy);
        const QString proxyHost = proxy.host();
        const int proxyPort = proxy.port(1080);
        const Net::Addresses proxyAddresses = Net::resolve(sim, proxyHost);
        if (proxyAddresses.v4.isEmpty())
            return fail(5, QStringLiteral("Could not resolve proxy: %1").arg(proxyHost));
        const Net::Connection c = Net::connect(state, proxyAddresses.v4.first(), proxyPort);
        if (c.result == Net::Connect::Timeout)
            return timedOut();
        if (c.result != Net::Connect::Open && c.result != Net::Connect::Portal)
            return fail(
                7, QStringLiteral(
                       "Failed to connect to %1 port %2 after 0 ms: Couldn't connect to server")
                       .arg(proxyHost)
                       .arg(proxyPort));
        spent += c.delay;
        t.remoteIp = proxyAddresses.v4.first();
        t.connectTime = spent;
        const QJsonObject site = Net::remote(state, host);
        const bool upstream =
            Net::linkUp(state) && Net::uplink(state) == QLatin1String("ok") &&
            at(state, {"network", "proxyUpstream"}).toString() != QLatin1String("broken");
        if (!upstream || site.isEmpty()) {
            spent += 0.05;
            if (https)
                return fail(56, QStringLiteral("CONNECT tunnel failed, response 502"));
            response = QJsonObject{{"status", 502}, {"time", 0.05}};
        } else {
            response = proxiedResponse(site, path);
        }
        if (https && request.head)
            t.headers = QStringLiteral("HTTP/1.1 200 Connection established\r\n\r\n");
    } else {
        const Net::Addresses addresses = Net::resolve(sim, host);
        const QStringList list = request.ipv6 ? addresses.v6 : addresses.v4;
        if (list.isEmpty())
            return fail(6, QStringLiteral("Could not resolve host: %1").arg(host));
        const QString address = list.first();
        t.remoteIp = address;
        QString answering;
        if (request.ipv6) {
            if (!Net::hasGlobalIPv6(state))
                return fail(
                    7, QStringLiteral(
                           "Failed to connect to %1 port %2 after 0 ms: Couldn't connect to server")
                           .arg(host)
                           .arg(port));
            if (at(state, {"network", "ipv6"}).toString(QStringLiteral("ok")) !=
                    QLatin1String("ok") ||
                Net::uplink(state) != QLatin1String("ok"))
                return timedOut();
            answering = Net::dnsAnswer(state, host).v6.contains(address)
                            ? host
                            : Net::siteOfAddress(state, address);
            if (answering.isEmpty())
                return timedOut();
            spent += 0.03;
        } else {
            const Net::Connection c = Net::connect(state, address, port);
            switch (c.result) {
            case Net::Connect::Timeout:
                return timedOut();
            case Net::Connect::Unreachable:
            case Net::Connect::Refused:
                return fail(
                    7, QStringLiteral(
                           "Failed to connect to %1 port %2 after 0 ms: Couldn't connect to server")
                           .arg(host)
                           .arg(port));
            case Net::Connect::Portal:
                if (https)
                    return fail(60, QStringLiteral("SSL: no alternative certificate subject name "
                                                   "matches target host name '%1'")
                                        .arg(host));
                response = state.value(QStringLiteral("portal")).toObject();
                break;
            case Net::Connect::Open:
                // Pinned (hosts file) or poisoned to another server's address: that server
                // answers, and over TLS its certificate does not name this host.
                answering = Net::dnsAnswer(state, host).v4.contains(address) ? host : c.site;
                if (https && answering.compare(host, Qt::CaseInsensitive) != 0)
                    return fail(60, QStringLiteral("SSL: no alternative certificate subject name "
                                                   "matches target host name '%1'")
                                        .arg(host));
                break;
            }
            spent += c.delay;
        }
        t.connectTime = spent;
        if (response.isEmpty())
            response = directResponse(Net::remote(state, answering), path, request.ipv6);
    }

    if (https &&
        std::abs(state.value(QStringLiteral("clockOffsetSeconds")).toDouble()) > kCertificateSlack)
        return fail(60, QStringLiteral("SSL certificate problem: certificate is not yet valid"));
    const QString error = response.value(QStringLiteral("error")).toString();
    if (error == QLatin1String("timeout"))
        return timedOut();
    if (error == QLatin1String("refused"))
        return fail(7, QStringLiteral(
                           "Failed to connect to %1 port %2 after 0 ms: Couldn't connect to server")
                           .arg(host)
                           .arg(port));
    if (error == QLatin1String("reset"))
        return fail(35,
                    QStringLiteral("LibreSSL SSL_connect: SSL_ERROR_SYSCALL in connection to %1:%2")
                        .arg(host)
                        .arg(port));
    if (error == QLatin1String("tls"))
        return fail(
            60, QStringLiteral("SSL certificate problem: unable to get local issuer certificate"));
    if (!error.isEmpty())
        return fail(56, QStringLiteral("Recv failure: Connection reset by peer"));

    const QJsonObject meeting = response.value(QStringLiteral("meet")).toObject();
    if (!meeting.isEmpty()) {
        const double left = request.limit - request.elapsed - spent;
        if (!sim.meet(meeting.value(QStringLiteral("group")).toString(),
                      meeting.value(QStringLiteral("count")).toInt(), left)) {
            t.waited = left;
            return timedOut();
        }
    }
    const double serverTime = response.value(QStringLiteral("time")).toDouble(0.1) +
                              response.value(QStringLiteral("slow")).toDouble();
    if (request.elapsed + spent + serverTime > request.limit)
        return timedOut();
    const int status = response.value(QStringLiteral("status")).toInt(200);
    QString body = response.value(QStringLiteral("body")).toString();
    qint64 size = response.contains(QStringLiteral("size"))
                      ? response.value(QStringLiteral("size")).toInteger()
                      : body.toUtf8().size();
    if (request.rangeLength >= 0 && size > request.rangeLength) {
        size = request.rangeLength;
        body = body.left(int(size));
    }
    t.code = status;
    t.contentType = response.value(QStringLiteral("contentType"))
                        .toString(QStringLiteral("text/html; charset=utf-8"));
    if (status >= 300 && status < 400)
        t.location = response.value(QStringLiteral("location")).toString();
    t.headers += headerBlock(https, status, response, size);
    if (!request.head && size > kStallBytes && pathStalls(state)) {
        timedOut(kStallBytes);
        t.code = status; // the headers came; the body stopped
        return t;
    }
    t.time = request.elapsed + spent + serverTime;
    if (!request.head) {
        t.body = body;
        t.size = size;
    }
    return t;
}

} // namespace brevik
