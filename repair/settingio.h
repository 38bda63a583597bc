#pragma once

#include "exec/shellresult.h"
#include "model/repairop.h"
#include "repair/setting.h"

#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// Reading a setting and writing it back: one query per setting, and the commands that
// return it to an earlier value.
namespace SettingIO {

// The one command that reads `key` ("networksetup -getwebproxy 'Wi-Fi'").
QString query(const SettingKey &key);

// The value the query's result shows, in the shape the setting kinds describe; none when
// the result is a failure or unreadable (an unknown service, a tool refused without rights).
std::optional<QJsonValue> parse(const SettingKey &key, const ShellResult &result);

// A query's output as trimmed lines, empty ones dropped.
QStringList lines(const QString &output);

// Runs the query and parses it.
std::optional<QJsonValue> read(const SettingKey &key);

// The operations that take `key` from `current` back to `wanted`; empty when they agree.
// Whatever of `wanted` nothing can bring back is appended to `limits`, one sentence each.
QList<RepairOp> restore(const SettingKey &key, const QJsonValue &wanted,
                        const QJsonValue &current, QStringList *limits);

// The setting as the user reads it: "「Wi-Fi」的网页代理（HTTP）".
QString label(const SettingKey &key);

// Kinds read back after a repair, to catch a setter that exited 0 without taking effect.
bool readBackAfterRepair(SettingKind kind);

} // namespace SettingIO

} // namespace brevik
