#pragma once

#include <QJsonValue>
#include <QString>

namespace brevik {

// The settings of a Mac that repairs change, and that the journal records so that a repair
// can be taken back.
enum class SettingKind {
    webProxy,       // per service: {enabled, server, port}
    secureWebProxy, // per service: {enabled, server, port}
    socksProxy,     // per service: {enabled, server, port}
    autoProxy,      // per service: {enabled, url}
    bypassDomains,  // per service: list of entries
    dnsServers,     // per service: list of addresses
    ipv6,           // per service: "Automatic", "Off", …
    wifiPower,      // per Wi-Fi device: boolean
    mtu,            // per interface: number
    networkTime,    // machine: boolean
};

// One setting: its kind and what it belongs to.
struct SettingKey {
    SettingKind kind = SettingKind::webProxy;
    QString target; // the service, Wi-Fi device or interface; empty for machine-wide settings

    friend bool operator==(const SettingKey &, const SettingKey &) = default;
};

// What one command writes to one setting. For settings whose value is an object, only the
// fields the command sets ("-setwebproxystate … off" sets "enabled" alone).
struct SettingWrite {
    SettingKey key;
    QJsonValue value;
};

} // namespace brevik
