#pragma once

#include "diagnostics/netverify.h"
#include "diagnostics/observations.h"
#include "diagnostics/probegate.h"
#include "diagnostics/stepprobes.h"
#include "model/clock.h"
#include "model/finding.h"
#include "model/netcontext.h"

#include <QList>
#include <QStringList>

#include <memory>
#include <optional>

namespace brevik {

// The places of the checks in the step table, in its order. When probes must queue, an
// earlier step's go first, so the steps finish roughly in the order they are published.
enum class StepPlace { interface, gateway, internet, dns, https, proxy, ai, hosts, system, web };

// One scan: the network snapshot every check reads, and the ordered list of checks.
// The run keeps no progress and no findings; whoever drives it publishes those.
//
// The checks of one run may run side by side (see StepSchedule); they only read ctx, and
// their probes meet in the run's gate, which keeps measurements apart from bulk transfers
// and bounds the commands in flight (diagnostics/probegate.h).
class DiagnosticsRun {
public:
    DiagnosticsRun() = default;
    explicit DiagnosticsRun(ScanPace pace) : m_pace(pace) {}

    // Gathers a snapshot of the machine's network configuration (fifteen commands in a
    // fixed order, a few more under a VPN or without a default route). Never fails: what a command
    // does not tell stays at its default.
    static NetContext buildContext();

    NetContext ctx;
    // Stamps the AI grid's test time.
    Clock clock = systemClock();

    ScanPace pace() const { return m_pace; }

    // The ten steps in execution order; each reads ctx when it runs, not when listed.
    QList<ScanStep> steps();

    QList<Finding> checkInterface();
    QList<Finding> checkGateway();
    QList<Finding> checkInternet();
    QList<Finding> checkDNS();
    QList<Finding> checkHTTPS();
    QList<Finding> checkProxy();
    QList<Finding> checkAI();
    QList<Finding> checkHosts();
    QList<Finding> checkSystem();
    QList<Finding> checkWebAccess();

    // What each probing check's commands show; diagnostics/decisions.h says what that means.
    GatewayObservation observeGateway() const;
    InternetObservation observeInternet() const;
    DnsObservation observeDNS() const;
    HttpsObservation observeHTTPS() const;
    AIObservation observeAI() const;
    HostsObservation observeHosts() const;
    SystemObservation observeSystem() const;
    NetVerifyResult observeWebAccess() const;

    // The end-to-end test of the last step, once that step has run: a caller that shows
    // the verdict after a scan takes this one rather than testing a second time.
    std::optional<NetVerifyResult> webResult() const { return m_webResult; }

private:
    StepProbes probesFor(StepPlace place) const
    {
        return StepProbes(m_gate.get(), static_cast<int>(place), m_pace);
    }

    ScanPace m_pace = ScanPace::overlapped;
    // Shared by copies of the run: one scan, one gate.
    std::shared_ptr<ProbeGate> m_gate = std::make_shared<ProbeGate>();
    std::optional<NetVerifyResult> m_webResult;
};

} // namespace brevik
