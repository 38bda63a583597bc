#include "guardian/guardconfirmation.h"

namespace brevik {

namespace GuardConfirmation {

Decision decide(const State &state, const ProxySighting &seen, bool autoFix)
{
    using Kind = ProxySighting::Kind;
    switch (seen.kind) {
    case Kind::noPort:
        return {state, Step::none};
    case Kind::off:
    case Kind::listening:
    case Kind::clientStarting:
    case Kind::elsewhere:
        return {State{}, Step::none};
    case Kind::dead:
        break;
    }
    const int count = (state.target == seen.target() ? state.count : 0) + 1;
    const Step step = count < kSightingsNeeded ? Step::confirming
                      : autoFix                ? Step::repair
                                               : Step::paused;
    return {State{seen.target(), count}, step};
}

State afterRepair(const State &state, bool verified)
{
    return verified ? State{} : state;
}

} // namespace GuardConfirmation

} // namespace brevik
