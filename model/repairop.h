#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

namespace brevik {

// The four proxy kinds a network service has, each switched on and off on its own.
enum class ProxyKind { web, secureWeb, socks, automatic };

// What a repair does, as values. Each operation renders to exactly one command line; that line
// is what the user is shown and what runs. Everything that needs to know what a repair changes
// (the journal, the read-back, undo) reads these values, never the rendered text.
namespace RepairOps {

// "networksetup -setwebproxystate 'Wi-Fi' off" and its relatives, the automatic proxy included.
struct ProxyState {
    QString service;
    ProxyKind kind = ProxyKind::web;
    bool on = false;
    friend bool operator==(const ProxyState &, const ProxyState &) = default;
};

// "networksetup -setwebproxy 'Wi-Fi' 127.0.0.1 7890": points the kind there and switches it on.
// Not for the automatic proxy, which has a URL instead.
struct ProxyServer {
    QString service;
    ProxyKind kind = ProxyKind::web;
    QString host;
    QString port;
    friend bool operator==(const ProxyServer &, const ProxyServer &) = default;
};

// "networksetup -setautoproxyurl 'Wi-Fi' URL": sets the PAC URL and switches it on.
struct AutoProxyUrl {
    QString service;
    QString url;
    friend bool operator==(const AutoProxyUrl &, const AutoProxyUrl &) = default;
};

// The service's proxy bypass list, replaced as a whole; empty clears it.
struct BypassDomains {
    QString service;
    QStringList entries;
    friend bool operator==(const BypassDomains &, const BypassDomains &) = default;
};

// The service's DNS servers, replaced as a whole; empty goes back to the router's.
struct DnsServers {
    QString service;
    QStringList servers;
    friend bool operator==(const DnsServers &, const DnsServers &) = default;
};

// IPv6 of a service: off, or back to automatic.
struct Ipv6 {
    QString service;
    bool automatic = false;
    friend bool operator==(const Ipv6 &, const Ipv6 &) = default;
};

struct WifiPower {
    QString device;
    bool on = false;
    friend bool operator==(const WifiPower &, const WifiPower &) = default;
};

struct Mtu {
    QString interface;
    int bytes = 1500;
    friend bool operator==(const Mtu &, const Mtu &) = default;
};

// Setting the clock from the network, on or off.
struct NetworkTime {
    bool on = true;
    friend bool operator==(const NetworkTime &, const NetworkTime &) = default;
};

// "ifconfig en0 down" / "up": a reset leaves nothing changed behind.
struct InterfaceLink {
    QString interface;
    bool up = true;
    friend bool operator==(const InterfaceLink &, const InterfaceLink &) = default;
};

// "ipconfig set en0 BOOTP" then "DHCP": how a lease is renewed.
struct AddressMode {
    QString device;
    bool dhcp = true;
    friend bool operator==(const AddressMode &, const AddressMode &) = default;
};

struct FlushDnsCache {
    friend bool operator==(const FlushDnsCache &, const FlushDnsCache &) = default;
};

// The resolver daemon told to reload ("killall -HUP mDNSResponder").
struct ReloadResolver {
    friend bool operator==(const ReloadResolver &, const ReloadResolver &) = default;
};

// The clock set once from a time server.
struct SyncClock {
    QString server;
    friend bool operator==(const SyncClock &, const SyncClock &) = default;
};

struct Pause {
    int seconds = 1;
    friend bool operator==(const Pause &, const Pause &) = default;
};

// A file backed up beside itself, then changed by `sed -E` expressions (lines commented out).
struct EditFile {
    QString path;
    QStringList sedExpressions;
    friend bool operator==(const EditFile &, const EditFile &) = default;
};

// A file given back the content of a backup, itself backed up first. The backup must still
// have the checksum ("cksum" of its bytes) it had when it was made, or nothing happens.
struct RestoreFile {
    QString path;
    QString backup;
    QString backupChecksum;
    friend bool operator==(const RestoreFile &, const RestoreFile &) = default;
};

} // namespace RepairOps

using RepairOp =
    std::variant<RepairOps::ProxyState, RepairOps::ProxyServer, RepairOps::AutoProxyUrl,
                 RepairOps::BypassDomains, RepairOps::DnsServers, RepairOps::Ipv6,
                 RepairOps::WifiPower, RepairOps::Mtu, RepairOps::NetworkTime,
                 RepairOps::InterfaceLink, RepairOps::AddressMode, RepairOps::FlushDnsCache,
                 RepairOps::ReloadResolver, RepairOps::SyncClock, RepairOps::Pause,
                 RepairOps::EditFile, RepairOps::RestoreFile>;

// The one command line that carries `op` out. Every value enters it as one shell word.
QString renderCommand(const RepairOp &op);
QStringList renderCommands(const QList<RepairOp> &ops);

// networksetup's name for a kind, between "-set"/"-get" and "state": "webproxy".
QString proxyKindWord(ProxyKind kind);

// What a file edit prints before the backup's path on success.
inline const QString kBackupNote = QStringLiteral("原文件已备份为 ");

// The backups of a file: the first one is PATH.brevik.bak and is kept; later ones are
// numbered, PATH.brevik.bak.N, and only the newest kBackupsKept of those stay.
inline const QString kBackupSuffix = QStringLiteral(".brevik.bak");
inline constexpr int kBackupsKept = 10;

} // namespace brevik
