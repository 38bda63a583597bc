#pragma once

#include "diagnostics/netverify.h"
#include "diagnostics/observations.h"
#include "diagnostics/probegate.h"
#include "diagnostics/stepprobes.h"
#include "model/finding.h"
#include "model/netcontext.h"

#include <QList>
#include <QStringList>

#include <memory>
#include <optional>

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

    // The checks that probe the machine, each in its two halves: what the machine showed,
    // then what that means, decided from ctx and the observation alone.
    GatewayObservation observeGateway() const;
    QList<Finding> decideGateway(const GatewayObservation &seen) const;
    InternetObservation observeInternet() const;
    QList<Finding> decideInternet(const InternetObservation &seen) const;
    DnsObservation observeDNS() const;
    QList<Finding> decideDNS(const DnsObservation &seen) const;
    HttpsObservation observeHTTPS() const;
    QList<Finding> decideHTTPS(const HttpsObservation &seen) const;
    AIObservation observeAI() const;
    QList<Finding> decideAI(const AIObservation &seen) const;
    SystemObservation observeSystem() const;
    QList<Finding> decideSystem(const SystemObservation &seen) const;
    NetVerifyResult observeWebAccess() const;
    QList<Finding> decideWebAccess(const NetVerifyResult &seen) const;

    // The end-to-end test of the last step, once that step has run: a caller that shows
    // the verdict after a scan takes this one rather than testing a second time.
    std::optional<NetVerifyResult> webResult() const { return m_webResult; }

    // Repair command builders shared by several checks.
    QStringList wifiRestartCommands() const;
    QStringList resetIfaceCommands() const;
    QStringList disableAllProxyCommands() const;
    // Renewal on the active interface, or on the Wi-Fi device when none is active or the active
    // one is a tunnel; empty when neither is known.
    QStringList dhcpRenewCommands() const;
    // The "续订 DHCP 租约" repair, which three findings offer under their own id and hint;
    // none when there is no device to renew.
    std::optional<FixAction> dhcpRenewFix(const QString &id, const QString &successHint) const;

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
