#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace brevik {

// Which probes of a scan may run at the same time, and why. This is the one place that says
// so; every probe names its kind where it runs, and the gate below enforces the rules.
//
// A scan overlaps its checks, but some of its probes measure the line: a ping counts lost
// packets and times round trips, an AI endpoint probe, the HTTPS probe and the search-page
// fetch time one request each. Another probe that moves a lot of data at that moment would
// show up in those figures as loss and delay that are not the line's. So:
//
//   local  Reads this Mac only: settings, files, processes, the routing and ARP tables, the
//          date, a port of a proxy on this Mac. Runs beside anything.
//   light  A few packets whose timing nobody reads: name lookups (dscacheutil, dig), port
//          tests (nc), the header fetch of the clock test, the captive-portal page, the IPv6
//          status probe. A handful of packets cannot bend a measurement; runs beside anything.
//   timed  Measures loss or latency: every ping (gateway, internet, MTU, captive portal),
//          the AI endpoint probes, the HTTPS probe, the search-page fetches. Each is a few
//          packets or one page to its own host, so they run beside one another and beside
//          local and light probes, as pings to different hosts always could; never beside
//          a bulk probe.
//   bulk   Moves hundreds of kilobytes for as long as the line needs: the MTU check's
//          downloads. Runs beside local and light probes only: never beside a timed probe,
//          and never beside another bulk one (two transfers share the line, and the volume
//          each one proves would be the other's loss).
//
// A single don't-fragment ping of the MTU check is one packet, however large: it is timed,
// not bulk.
enum class ProbeKind { local, light, timed, bulk };

// Admits the probes of one scan by the rules above, and never more than kMaxCommands
// commands at once. Waiting probes are admitted in the order of their steps (an earlier
// step's probe first, then in arrival order), so the steps that are published first finish
// first, and a bulk probe waiting for the line is not overtaken by timed probes of later
// steps. A waiting probe holds nothing, and a running one waits for nothing, so the gate
// cannot deadlock; every command ends within its own limit, so every waiter gets its turn.
class ProbeGate {
public:
    // Started together, a scan's steps ask for about thirty commands at once: twelve AI
    // probes, the pings of the first checks, lookups, the sections of the later checks. The
    // long waits among them (the pings, the slow AI endpoints, the HTTPS, IPv6 and
    // search-page fetches) are about ten even when everything times out, so sixteen lets
    // them all run at once with room to spare; the short commands ahead of them in step
    // order free their places within a fraction of a second. Each command is a bash and a
    // tool process with a pipe, so the cap also bounds what a scan holds in flight.
    static constexpr int kMaxCommands = 16;

    explicit ProbeGate(int maxCommands = kMaxCommands);
    ProbeGate(const ProbeGate &) = delete;
    ProbeGate &operator=(const ProbeGate &) = delete;

    // Held while one command runs; leaving the scope lets the next probe in.
    class Pass {
    public:
        Pass(Pass &&other) noexcept;
        Pass(const Pass &) = delete;
        Pass &operator=(const Pass &) = delete;
        Pass &operator=(Pass &&) = delete;
        ~Pass();

    private:
        friend class ProbeGate;
        Pass(ProbeGate *gate, ProbeKind kind) : m_gate(gate), m_kind(kind) {}
        ProbeGate *m_gate;
        ProbeKind m_kind;
    };

    // Blocks until a probe of `kind` may run; `step` is its step's place in the scan.
    Pass enter(ProbeKind kind, int step);

    // How many probes are waiting for their turn right now.
    int waiting();

private:
    struct Waiter {
        int step = 0;
        std::uint64_t arrival = 0;
        ProbeKind kind = ProbeKind::local;
        bool admitted = false;
    };

    void admitWaiters();
    void leave(ProbeKind kind);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    const int m_maxCommands;
    int m_running = 0;
    int m_timed = 0;
    int m_bulk = 0;
    std::uint64_t m_arrivals = 0;
    std::vector<Waiter *> m_waiting; // by step, then arrival
};

} // namespace brevik
