#pragma once

#include "repair/setting.h"

#include <QJsonValue>
#include <QString>

namespace brevik {

// What a value read back from the journal must look like before anything is built from it.
// The journal is a file of the user's, which any of the user's processes can write: a value
// that is not of its type makes its entry unreadable, and an unreadable entry is never undone.
namespace RecordValues {

bool isServiceName(const QString &name);   // no control characters, at most 255 characters
bool isDevice(const QString &name);        // "en0", "utun3", "bridge0"
bool isHost(const QString &host);          // a host name or an IPv4/IPv6 address
bool isPort(const QString &port);          // "1" … "65535"
bool isAddress(const QString &address);    // an IPv4 or IPv6 address
bool isListEntry(const QString &entry);    // a bypass entry: no blank, no control character
bool isUrl(const QString &url);            // http(s) or file URL without blanks or controls
bool isChecksum(const QString &checksum);  // what "cksum" prints: "CRC SIZE"
bool isPlainText(const QString &text, qsizetype limit); // no control character but tab

// A port as a record may hold it: a number or text of digits, or the "0" / "" of a kind
// that was never set. Empty when it is neither.
std::optional<QString> recordedPort(const QJsonValue &value);

// Checks a setting's target and a value recorded for it (`partial`: an "after" value, which
// may hold only the fields a repair wrote). Returns the value in its normal form (ports as
// text), or none when it does not have the setting's type.
bool isTarget(const SettingKey &key);
std::optional<QJsonValue> settingValue(SettingKind kind, const QJsonValue &value, bool partial);

} // namespace RecordValues

} // namespace brevik
