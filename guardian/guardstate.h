#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// What one run of the launch agent leaves for the next: each run is a new process, and a
// repair waits for the second consecutive dead observation of the same proxy.
struct GuardObservation {
    QString target;     // "host:port" of the system proxy seen
    int count = 0;      // consecutive checks that found it dead with no client running
    QDateTime observed; // when the check was made
};

namespace GuardState {

// Runs start every 5 s; an observation older than three intervals says nothing about now.
inline constexpr qint64 kFreshForMs = 15000;

// The newest observation stored at any of `paths` that is no older than kFreshForMs at `now`
// (and not in its future: a clock turned back proves nothing). None when there is no such one.
std::optional<GuardObservation> load(const QStringList &paths, const QDateTime &now);

// Stores `observation` atomically at the first of `paths` that can be written. Returns false
// when none could.
bool save(const QStringList &paths, const GuardObservation &observation);

} // namespace GuardState

} // namespace brevik
