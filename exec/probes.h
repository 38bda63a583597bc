#pragma once

#include <QString>

#include <optional>

namespace brevik {

// What one curl reachability probe saw.
struct HttpProbeResult {
    QString code = QStringLiteral("000"); // HTTP status as curl printed it; "000": no answer
    int ms = 0;                           // total time of the request
    bool ok = false;                      // some server answered, whatever the status
};

// A curl time such as "0.532700" (seconds) in whole milliseconds, truncated; 0 when it is
// not a number.
qint64 curlSecondsToMs(const QString &seconds);

// Loss in percent from a ping summary; 100 when there is none.
double packetLoss(const QString &pingOutput);

// The average round trip of a ping summary as printed, plus " ms"; "-" when there is none.
QString avgRTT(const QString &pingOutput);

// The proxy as curl's -x takes it: host:port means an HTTP proxy; an address that names its
// scheme ("socks5h://127.0.0.1:1080") stays as it is.
QString curlProxyUrl(const QString &proxy);

// The curl command line that httpProbe runs.
QString httpProbeCommand(const QString &url, const std::optional<QString> &proxy, int timeout);

// Probes one URL with curl, directly or through a proxy (see curlProxyUrl).
HttpProbeResult httpProbe(const QString &url, const std::optional<QString> &proxy = std::nullopt,
                          int timeout = 6);

} // namespace brevik
