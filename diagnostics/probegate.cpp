#include "diagnostics/probegate.h"

#include <algorithm>

namespace brevik {

ProbeGate::ProbeGate(int maxCommands) : m_maxCommands(std::max(1, maxCommands)) {}

ProbeGate::Pass::Pass(Pass &&other) noexcept : m_gate(other.m_gate), m_kind(other.m_kind)
{
    other.m_gate = nullptr;
}

ProbeGate::Pass::~Pass()
{
    if (m_gate)
        m_gate->leave(m_kind);
}

ProbeGate::Pass ProbeGate::enter(ProbeKind kind, int step)
{
    std::unique_lock lock(m_mutex);
    Waiter waiter{step, m_arrivals++, kind};
    const auto place = std::upper_bound(
        m_waiting.begin(), m_waiting.end(), &waiter, [](const Waiter *a, const Waiter *b) {
            return a->step != b->step ? a->step < b->step : a->arrival < b->arrival;
        });
    m_waiting.insert(place, &waiter);
    admitWaiters();
    m_changed.wait(lock, [&] { return waiter.admitted; });
    return Pass(this, kind);
}

int ProbeGate::waiting()
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_waiting.size());
}

void ProbeGate::leave(ProbeKind kind)
{
    std::lock_guard lock(m_mutex);
    --m_running;
    if (kind == ProbeKind::timed)
        --m_timed;
    else if (kind == ProbeKind::bulk)
        --m_bulk;
    admitWaiters();
}

// Walks the waiters in step order. A waiter that must wait keeps the later ones from taking
// what it waits for: behind a waiting bulk probe no timed one starts, behind a waiting timed
// or bulk probe no bulk one does. Local and light probes only ever wait for a free command.
void ProbeGate::admitWaiters()
{
    bool timedHeldBack = false;
    bool bulkHeldBack = false;
    bool admitted = false;
    for (auto it = m_waiting.begin(); it != m_waiting.end() && m_running < m_maxCommands;) {
        Waiter &waiter = **it;
        bool go = true;
        switch (waiter.kind) {
        case ProbeKind::local:
        case ProbeKind::light:
            break;
        case ProbeKind::timed:
            go = m_bulk == 0 && !timedHeldBack;
            bulkHeldBack = bulkHeldBack || !go;
            break;
        case ProbeKind::bulk:
            go = m_bulk == 0 && m_timed == 0 && !bulkHeldBack;
            timedHeldBack = timedHeldBack || !go;
            bulkHeldBack = bulkHeldBack || !go;
            break;
        }
        if (!go) {
            ++it;
            continue;
        }
        ++m_running;
        if (waiter.kind == ProbeKind::timed)
            ++m_timed;
        else if (waiter.kind == ProbeKind::bulk)
            ++m_bulk;
        waiter.admitted = true;
        admitted = true;
        it = m_waiting.erase(it);
    }
    if (admitted)
        m_changed.notify_all();
}

} // namespace brevik
