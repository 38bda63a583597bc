#pragma once

#include "model/repairop.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace brevik {

// An operation as the journal keeps it: its values, never its command line.
namespace OpJson {

QJsonObject toJson(const RepairOp &op);

// The operation a record holds; none when a value does not have its type (a port outside
// 1–65535, a path outside the files Brevik edits in `home`, a name with a line feed).
std::optional<RepairOp> fromJson(const QJsonObject &object, const QString &home);

} // namespace OpJson

} // namespace brevik
