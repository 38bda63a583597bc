#pragma once

#include "model/repairop.h"
#include "repair/setting.h"

#include <QJsonValue>
#include <QList>
#include <QString>

namespace brevik {

// What one operation of a repair does to the Mac, read from its values.
struct OpEffect {
    enum class Type {
        setting,  // writes a setting: `write`
        file,     // backs a file up, then changes it: `path`
        oneTime,  // acts once and leaves no setting to restore (a DHCP renewal): `what`
        harmless, // changes nothing (a pause)
    };

    Type type = Type::harmless;
    SettingWrite write;
    QString path;
    QString what; // as the user reads it: "续订 DHCP 租约（en0）"
};

namespace OpEffects {

OpEffect of(const RepairOp &op);

// The settings that `ops` write, each once, in the order of their first write.
QList<SettingKey> changedSettings(const QList<RepairOp> &ops);

// The value `key` holds after `ops` ran on a Mac where it held `before`. An object keeps the
// fields no operation wrote; a `before` of null gives just the written fields.
QJsonValue applied(const SettingKey &key, const QJsonValue &before, const QList<RepairOp> &ops);

// True when `actual` shows what `expected` says: for objects, every field of `expected`.
bool shows(const QJsonValue &actual, const QJsonValue &expected);

// True when only an administrator may carry the operation out.
bool needsAdmin(const RepairOp &op);

} // namespace OpEffects

} // namespace brevik
