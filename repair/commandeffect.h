#pragma once

#include "repair/setting.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace brevik {

// What one repair command does to the Mac, read from its text. This is the one place that
// knows the setter commands: the read-back after a repair, the journal and the undo all go
// by it.
struct CommandEffect {
    enum class Type {
        setting,  // writes a setting: `write`
        fileEdit, // backs a file up, then changes it: `fileWord`, the path as the command has it
        oneTime,  // acts once and leaves no setting to restore (a DHCP renewal): `what`
        harmless, // changes nothing ("sleep 2")
        unknown,  // anything else: what it changed is not known
    };

    Type type = Type::unknown;
    SettingWrite write;
    QString fileWord;
    QString what; // as the user reads it: "续订 DHCP 租约（en0）"
};

namespace CommandEffects {

CommandEffect of(const QString &command);

// The settings that `commands` write, each once, in the order of their first write.
QList<SettingKey> changedSettings(const QStringList &commands);

// The value `key` holds after `commands` ran on a Mac where it held `before`. An object
// keeps the fields no command wrote; a `before` of null gives just the written fields.
QJsonValue applied(const SettingKey &key, const QJsonValue &before, const QStringList &commands);

// True when `actual` shows what `expected` says: for objects, every field of `expected`.
bool shows(const QJsonValue &actual, const QJsonValue &expected);

} // namespace CommandEffects

} // namespace brevik
