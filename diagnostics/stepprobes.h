#pragma once

#include "diagnostics/probegate.h"
#include "exec/shellresult.h"

#include <QList>
#include <QString>

#include <future>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace brevik {

// Whether a run's probes may overlap. Every scan the user starts overlaps them; one after
// another, in the order each check lists its probes, is kept for the benchmark that
// measures the overlap and the test that shows both find the same.
enum class ScanPace { overlapped, sequential };

// How one step runs its probes: through its run's gate, with its step's place in the queue,
// side by side or one after another as the run's pace says. A value; copies share the gate.
// Without a gate (the internet test outside a scan) every command simply runs.
class StepProbes {
public:
    StepProbes() = default;
    StepProbes(ProbeGate *gate, int step, ScanPace pace) : m_gate(gate), m_step(step), m_pace(pace)
    {
    }

    // One command through `shell`, once the gate admits a probe of `kind`.
    ShellResult run(ProbeKind kind, const QString &command, double timeout = 25.0) const;

    // `probe` runs exactly one command (a curl probe built elsewhere), once the gate admits
    // a probe of `kind`.
    template <typename Probe> std::invoke_result_t<Probe> gated(ProbeKind kind, Probe &&probe) const
    {
        if (!m_gate)
            return probe();
        const ProbeGate::Pass pass = m_gate->enter(kind, m_step);
        return probe();
    }

    // Independent parts of one observation: each on a thread of its own when the pace
    // allows, otherwise one after another in the order given. The results come back in
    // that order either way.
    template <typename... Part>
    std::tuple<std::invoke_result_t<Part>...> together(Part &&...parts) const
    {
        if (m_pace == ScanPace::sequential)
            return {parts()...}; // a braced list runs its elements left to right
        auto running =
            std::make_tuple(std::async(std::launch::async, std::forward<Part>(parts))...);
        return std::apply(
            [](auto &...futures) {
                return std::tuple<std::invoke_result_t<Part>...>{futures.get()...};
            },
            running);
    }

    // `part` for each item, as `together` runs its parts; the results in the items' order.
    template <typename Item, typename Part>
    QList<std::invoke_result_t<Part, const Item &>> each(const QList<Item> &items, Part part) const
    {
        QList<std::invoke_result_t<Part, const Item &>> results;
        if (m_pace == ScanPace::sequential) {
            for (const Item &item : items)
                results << part(item);
            return results;
        }
        std::vector<std::future<std::invoke_result_t<Part, const Item &>>> running;
        for (const Item &item : items)
            running.push_back(
                std::async(std::launch::async, [&part, &item] { return part(item); }));
        for (auto &future : running)
            results << future.get();
        return results;
    }

private:
    ProbeGate *m_gate = nullptr;
    int m_step = 0;
    ScanPace m_pace = ScanPace::sequential;
};

} // namespace brevik
