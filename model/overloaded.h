#pragma once

namespace brevik {

// One visitor for std::visit made of several lambdas, one per alternative.
template <class... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};
// Apple's clang does not deduce an aggregate's template arguments by itself.
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace brevik
