#pragma once

#include "diagnostics/netverify.h"
#include "exec/probes.h"
#include "exec/shellresult.h"
#include "model/netcontext.h"

#include <QList>
#include <QString>

#include <optional>

namespace brevik {

// What the checks that probe the machine saw, one type per check. A check first gathers its
// observation (its probes, side by side where they are independent) and then decides its
// findings from the snapshot and that observation alone, so the decision is the same
// whatever order the probes ran in.

// One ping's summary.
struct PingReading {
    int code = -1;                     // 0 as soon as one reply came, 2 when none did
    double loss = 100.0;               // percent; 100 when the summary is missing
    QString rtt = QStringLiteral("-"); // the average round trip as shown
    bool replied() const { return code == 0 && loss < 100.0; }
};

PingReading readPing(const ShellResult &ping);

// Whether "arp -n" shows a hardware address for the neighbour: only then did it answer.
bool arpAnswered(const QString &arpOutput);

// The router: asked by ARP and TCP only when the first ping got no reply, pinged a second
// time only when one of those answered. Nothing is probed without a router to probe.
struct GatewayObservation {
    std::optional<PingReading> first;
    bool arpHit = false;
    bool tcpHit = false;
    std::optional<PingReading> second;
};

// The two public resolvers, pinged by address.
struct InternetObservation {
    PingReading ali;        // 223.5.5.5
    PingReading cloudflare; // 1.1.1.1
};

struct DnsObservation {
    QString resolved;             // the system resolver's first IPv4 address, or empty
    QStringList pollutionAnswers; // dig's trimmed answer for each pollution host, in order
};

struct HttpsObservation {
    HttpProbeResult https;
    QString serverDate;      // the test site's Date header; empty when none came back
    QString clockDifference; // now minus that date in seconds, as printed; asked only with one
    QString portalPage;      // the first lines of the captive-portal page
    int portalPingCode = -1;
};

struct AIRowObservation {
    HttpProbeResult direct;
    std::optional<HttpProbeResult> proxied; // only with a live proxy
};

// The live proxy the AI rows are also tried through, as curl's -x takes it; none when the
// proxy is off or nothing answers on it.
std::optional<QString> aiProxy(const NetContext &ctx);

struct AIObservation {
    std::optional<QString> proxy; // the live proxy the rows were also tried through
    QList<AIRowObservation> rows; // in the order of the service table
};

struct MtuObservation {
    int mtu = 1500;
    bool largePasses = false;
    // Only when the large packet was dropped on an interface not already tuned down.
    std::optional<qint64> downloaded; // the largest byte count of the download probes
    bool mediumPasses = false;
};

// What the hosts check read: the active lines of /etc/hosts, and for each shell start-up
// file (in the check's order) its first proxy assignments as "grep -n" prints them.
struct HostsObservation {
    QString hostsLines;
    QStringList proxyLines;
};

// Each section that runs a command; the sections judged from the snapshot alone (VPN and
// service order) need no observation.
struct SystemObservation {
    std::optional<MtuObservation> mtu; // absent without a route the packets could take
    std::optional<QString> ipv6Code;   // only with a global IPv6 address
    std::optional<QString> wifiReport; // only when the route is Wi-Fi
    QString firewallState;
};

} // namespace brevik
