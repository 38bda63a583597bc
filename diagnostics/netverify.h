#pragma once

#include "diagnostics/stepprobes.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// The verdict of one end-to-end search-page test.
struct NetVerifyResult {
    bool ok = false;
    QString code = QStringLiteral("000");
    qint64 ms = 0;
    QString via = QStringLiteral("直连");
    QStringList tried;
    QString summary = QStringLiteral("尚未测试");
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
