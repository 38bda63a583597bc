#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace brevik {

// When the guardian stops fighting over one proxy: after three automatic repairs of it within
// ten minutes (a proxy client keeps writing its dead proxy back), or after two repairs in a
// row that did not take. It acts on that proxy again when the proxy's address changes, when
// the user asks, or once ten minutes have passed. Pure: the caller keeps the state (the app in
// memory and on disk, agent runs on disk) and the clock.
namespace GuardBackoff {

inline constexpr int kRepairsAllowed = 3;   // within kWindowSecs
inline constexpr int kFailuresAllowed = 2;  // in a row
inline constexpr qint64 kWindowSecs = 600;

enum class Rest {
    none,
    repeated, // repaired kRepairsAllowed times within the window: something puts it back
    failing,  // kFailuresAllowed repairs in a row did not take
};

struct State {
    QString target;             // "host:port" of the proxy the counts are about
    QList<QDateTime> repairs;   // verified repairs of it, the newest last, within the window
    int failuresInARow = 0;
    Rest rest = Rest::none;
    QDateTime restSince;
    friend bool operator==(const State &, const State &) = default;
};

// Whether the guardian may repair `target` at `now`, and the state once a rest that ran out,
// or one about another proxy, has ended.
struct Permit {
    State next;
    bool allowed = true;
};
Permit permit(const State &state, const QString &target, const QDateTime &now);

// The state after a repair of `target` at `now`; `restBegins` when this repair starts a rest.
struct After {
    State next;
    bool restBegins = false;
};
After afterRepair(const State &state, const QString &target, bool verified, const QDateTime &now);

// What the guardian says while it rests: why, and what the user can do.
QString restText(const State &state);
// The same in one short line, for a status that has a line only.
QString restStatus(const State &state);

// The state as stored between runs, and read back; none for anything not of its shape.
QByteArray toBytes(const State &state);
std::optional<State> fromBytes(const QByteArray &bytes);

} // namespace GuardBackoff

} // namespace brevik
