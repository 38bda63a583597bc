#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>

namespace brevik {

// The simulated Mac's state is one JSON file in the simulation folder. Stand-ins run as
// separate processes and several at once (the AI check starts six curls together), so a
// change holds an exclusive lock from read to write and replaces the file by rename: a
// reader never sees half a file and no change is lost.
namespace SimState {

QString stateFile(const QString &folder);

// The state as it is now; an empty object (and the reason) when it cannot be read.
QJsonObject read(const QString &folder, QString *error = nullptr);

// Replaces the whole state.
bool write(const QString &folder, const QJsonObject &state, QString *error = nullptr);

// Reads, lets `change` edit, and writes back under the lock. `change` returns false to
// leave the file as it was. `after` (optional) receives the state as left.
bool update(const QString &folder, const std::function<bool(QJsonObject &)> &change,
            QString *error = nullptr, QJsonObject *after = nullptr);

} // namespace SimState

} // namespace brevik
