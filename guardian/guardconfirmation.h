#pragma once

#include "guardian/proxysighting.h"

#include <QString>

namespace brevik {

// When a dead proxy counts as a leftover: only at its second consecutive sighting, so that a
// client restarting between two checks never has its proxy switched off under it.
namespace GuardConfirmation {

inline constexpr int kSightingsNeeded = 2;

// Consecutive dead sightings of `target`.
struct State {
    QString target;
    int count = 0;
    friend bool operator==(const State &, const State &) = default;
};

enum class Step {
    none,       // nothing to confirm
    confirming, // a dead proxy, not yet confirmed
    paused,     // confirmed, but automatic repair is switched off
    repair,     // confirmed: switch it off now
};

struct Decision {
    State next;
    Step step = Step::none;
};

// A sighting of another proxy, or of none, ends the count; one without a port says nothing
// and leaves it as it was.
Decision decide(const State &state, const ProxySighting &seen, bool autoFix);

// The state after a repair: a verified one ends the count, a failed one keeps it, so that
// the next sighting repairs again at once.
State afterRepair(const State &state, bool verified);

} // namespace GuardConfirmation

} // namespace brevik
