#pragma once

#include <QString>

namespace brevik {

// Where a proxy setting sends traffic, and whether that place is this Mac.

// A host and a port as the settings name them; ports stay text.
struct ProxyEndpoint {
    QString host;
    QString port;
};

// The host and port an automatic proxy (PAC) URL is fetched from: the URL's own port, else
// 80 for http and 443 for https. A URL without a network host (file:, or not a URL at all)
// gives an empty endpoint: there is nothing to connect to.
ProxyEndpoint pacEndpoint(const QString &url);

// True for the names of the loopback interface: 127.0.0.0/8, "localhost" and ::1. An empty
// host counts as well, because every reader takes it for 127.0.0.1.
bool isLoopbackHost(const QString &host);

// The primary service's proxy as "scutil --proxy" prints it.
struct ScutilProxy {
    bool enabled = false; // any of HTTP, HTTPS, SOCKS and the automatic proxy (PAC) is on
    QString kind;         // "HTTP", "HTTPS", "SOCKS" or "PAC": whose host and port these are
    QString host = QStringLiteral("127.0.0.1");
    QString port; // empty when no switched-on kind names one
};

// Host and port come from the first switched-on kind, HTTP, HTTPS, then SOCKS, each with its
// own host (a kind switched off keeps its old keys, which say nothing); else from the URL of a
// switched-on automatic proxy.
ScutilProxy parseScutilProxy(const QString &output);

} // namespace brevik
