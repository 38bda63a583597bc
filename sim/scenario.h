#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// Scenario files: the description of one simulated Mac (sim/README.md).
namespace Scenario {

// Names of the scenarios built into the program (sim/scenarios/NAME.json).
QStringList builtInNames();

// A scenario's name: the file name without ".json" for a path, else the text itself.
QString nameOf(const QString &nameOrPath);

// The scenario's full state, with everything it "extends" merged in underneath.
// `nameOrPath` is a built-in name or the path of a .json file.
std::optional<QJsonObject> load(const QString &nameOrPath, QString *error = nullptr);

// `over` laid onto `base`: objects merge key by key, a null removes the key, anything
// else (arrays included) replaces.
QJsonValue merge(const QJsonValue &base, const QJsonValue &over);

} // namespace Scenario

} // namespace brevik
