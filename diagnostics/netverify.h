#pragma once

#include "diagnostics/stepprobes.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// What an end-to-end test means for the apps on this Mac.
enum class WebVerdict {
    usable,     // fetched through the system proxy, or directly with no proxy switched on
    directOnly, // fetched directly only: the switched-on system proxy could not be used, so
                // every app that sends its requests there is cut off
    failed,     // no path fetched the page
};

// The verdict of one end-to-end search-page test.
struct NetVerifyResult {
    bool ok = false; // some path fetched the page
    QString code = QStringLiteral("000");
    qint64 ms = 0;
    QString via = QCoreApplication::translate("NetVerify", "直连");
    QStringList tried;
    QString summary = QCoreApplication::translate("NetVerify", "尚未测试");
    // The switched-on system proxy (host:port) that could not carry the page: its port
    // refused, or the fetch through it failed. Empty when none was on, or it worked.
    QString unusableProxy;

    WebVerdict verdict() const;
};

// Can this Mac fetch a real web page right now: through the system proxy when one is on
// and answers, then directly.
namespace NetVerify {

extern const QString userAgent;
extern const QString bingURL;

// The primary service's proxy as curl can use it.
struct SystemProxy {
    bool enabled = false;
    QString addr;       // host:port, or empty
    bool socks = false; // addr is a SOCKS proxy, not an HTTP one
};

struct ProbeResult {
    QString code = QStringLiteral("000");
    qint64 ms = 0;
    bool ok = false; // the status begins with "2"
};

NetVerifyResult bingSearch(int timeout = 12);
SystemProxy systemProxy();
ProbeResult probe(const QString &url, const std::optional<QString> &proxy, int timeout);

// The same, as one step of a scan: each command waits its turn beside the scan's other probes.
NetVerifyResult bingSearch(int timeout, const StepProbes &probes);
SystemProxy systemProxy(const StepProbes &probes);
ProbeResult probe(const QString &url, const std::optional<QString> &proxy, int timeout,
                  const StepProbes &probes);

} // namespace NetVerify

} // namespace brevik
