#include "model/repairop.h"

#include "exec/shell.h"
#include "model/overloaded.h"

#include <QRegularExpression>

namespace brevik {

namespace {

using namespace RepairOps;

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

// A list entry as one shell word. "*.local" must reach networksetup as written: unquoted,
// bash would expand it against the current folder (a file "printer.local" there would
// replace it).
QString entryWord(const QString &entry)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9./:_%-]+$"));
    return plain.match(entry).hasMatch() ? entry : shellQuote(entry);
}

QString listWords(const QStringList &entries)
{
    if (entries.isEmpty())
        return QStringLiteral("Empty");
    QStringList words;
    for (const QString &entry : entries)
        words << entryWord(entry);
    return words.join(QLatin1Char(' '));
}

// A path as one shell word: bare when it is made of plain characters only ("/etc/hosts"),
// which is also how the simulated Mac finds the system's paths in a command line.
QString pathWord(const QString &path)
{
    static const QRegularExpression plain(QStringLiteral("^/[A-Za-z0-9/._+-]+$"));
    return plain.match(path).hasMatch() ? path : shellQuote(path);
}

// Written for /bin/sh, which runs the administrator's script. The backups are private
// (umask 077): a start-up file may hold tokens. "set -C" creates the backup with O_EXCL, so
// a name already taken, by a file or a dangling link, is never written through; the next
// number is tried. The first backup, PATH.brevik.bak, is the file as it was before Brevik ever
// touched it and is never removed; of the numbered ones only the newest ten stay. Numbers of
// ten digits and more are not ours. BSD and GNU "sed -i" replace a link by a plain file, so the
// edit goes to the link's target ("$t"). `edit` runs only once the backup is complete.
QString backupThen(const QString &path, const QString &precheck, const QString &edit)
{
    static const QString numbered = QStringLiteral(
        "for x in \"$f.brevik.bak.\"*; do k=${x##*.}; case $k in ''|*[!0-9]*|??????????*) ;; "
        "*) ");
    return QStringLiteral("(umask 077; set -C; f=") + pathWord(path) + QStringLiteral("; ") +
           precheck + QStringLiteral("m=0; ") + numbered +
           QStringLiteral(
               "[ \"$k\" -gt \"$m\" ] && m=$k;; esac; done; b=\"$f.brevik.bak\"; "
               "{ [ -e \"$b\" ] || [ -L \"$b\" ]; } && b=\"$f.brevik.bak.$((m+1))\"; i=0; "
               "until [ ! -e \"$b\" ] && [ ! -L \"$b\" ] && { : >\"$b\"; } 2>/dev/null; do "
               "if [ ! -e \"$b\" ] && [ ! -L \"$b\" ] || [ \"$i\" -ge 20 ]; then "
               "echo \"无法创建备份文件：$b\" >&2; exit 1; fi; "
               "i=$((i+1)); m=$((m+1)); b=\"$f.brevik.bak.$((m+1))\"; done; "
               "cat -- \"$f\" >|\"$b\" || { rm -f -- \"$b\"; echo \"备份失败，未做修改：$f\" >&2; "
               "exit 1; }; "
               "case $b in *.brevik.bak) ;; *) n=${b##*.}; ") +
           numbered +
           QStringLiteral(
               "[ \"$k\" -le $((n-10)) ] && rm -f -- \"$x\";; esac; done;; esac; "
               "t=$f; j=0; while [ -L \"$t\" ] && [ \"$j\" -lt 40 ]; do l=$(readlink -- \"$t\"); "
               "case $l in /*) t=$l;; *) t=${t%/*}/$l;; esac; j=$((j+1)); done; ") +
           edit + QStringLiteral(" && echo \"") + kBackupNote + QStringLiteral("$b\")");
}

QString editFile(const EditFile &op)
{
    QString script;
    for (const QString &expression : op.sedExpressions)
        script += QStringLiteral(" -e ") + shellQuote(expression);
    // LC_ALL=C lets sed match lines holding bytes that are not UTF-8.
    return backupThen(op.path, {},
                      QStringLiteral("LC_ALL=C sed -i '' -E") + script + QStringLiteral(" \"$t\""));
}

QString restoreFile(const RestoreFile &op)
{
    // The backup is checked where it is read, by whoever reads it (the administrator, for a
    // file of the system): a backup that is gone, a link, or not what was recorded restores
    // nothing.
    const QString precheck =
        QStringLiteral("s=") + pathWord(op.backup) +
        QStringLiteral("; if [ -L \"$s\" ] || [ ! -f \"$s\" ]; then echo \"备份文件不存在：$s\" "
                       ">&2; exit 1; fi; [ \"$(cksum < \"$s\")\" = ") +
        shellQuote(op.backupChecksum) +
        QStringLiteral(" ] || { echo \"备份文件已被改动，未还原：$s\" >&2; exit 1; }; ");
    // Written through, not replaced: the file keeps its owner and mode, a link stays a link.
    return backupThen(op.path, precheck, QStringLiteral("cat -- \"$s\" >|\"$t\""));
}

} // namespace

QString proxyKindWord(ProxyKind kind)
{
    switch (kind) {
    case ProxyKind::web:
        return QStringLiteral("webproxy");
    case ProxyKind::secureWeb:
        return QStringLiteral("securewebproxy");
    case ProxyKind::socks:
        return QStringLiteral("socksfirewallproxy");
    case ProxyKind::automatic:
        return QStringLiteral("autoproxy");
    }
    return {};
}

QString renderCommand(const RepairOp &op)
{
    const QString networksetup = QStringLiteral("networksetup -set");
    return std::visit(
        Overloaded{
            [&](const ProxyState &o) {
                return networksetup + proxyKindWord(o.kind) + QStringLiteral("state ") +
                       shellQuote(o.service) + QLatin1Char(' ') + onOff(o.on);
            },
            [&](const ProxyServer &o) {
                return networksetup + proxyKindWord(o.kind) + QLatin1Char(' ') +
                       shellQuote(o.service) + QLatin1Char(' ') + shellWord(o.host) +
                       QLatin1Char(' ') + shellWord(o.port);
            },
            [&](const AutoProxyUrl &o) {
                return networksetup + QStringLiteral("autoproxyurl ") + shellQuote(o.service) +
                       QLatin1Char(' ') + shellQuote(o.url);
            },
            [&](const BypassDomains &o) {
                return networksetup + QStringLiteral("proxybypassdomains ") +
                       shellQuote(o.service) + QLatin1Char(' ') + listWords(o.entries);
            },
            [&](const DnsServers &o) {
                return networksetup + QStringLiteral("dnsservers ") + shellQuote(o.service) +
                       QLatin1Char(' ') + listWords(o.servers);
            },
            [&](const Ipv6 &o) {
                return networksetup + (o.automatic ? QStringLiteral("v6automatic ")
                                                   : QStringLiteral("v6off ")) +
                       shellQuote(o.service);
            },
            [&](const WifiPower &o) {
                return networksetup + QStringLiteral("airportpower ") + shellWord(o.device) +
                       QLatin1Char(' ') + onOff(o.on);
            },
            [](const Mtu &o) {
                return QStringLiteral("ifconfig ") + shellWord(o.interface) +
                       QStringLiteral(" mtu ") + QString::number(o.bytes);
            },
            [](const NetworkTime &o) {
                return QStringLiteral("systemsetup -setusingnetworktime ") + onOff(o.on);
            },
            [](const InterfaceLink &o) {
                return QStringLiteral("ifconfig ") + shellWord(o.interface) +
                       (o.up ? QStringLiteral(" up") : QStringLiteral(" down"));
            },
            [](const AddressMode &o) {
                return QStringLiteral("ipconfig set ") + shellWord(o.device) +
                       (o.dhcp ? QStringLiteral(" DHCP") : QStringLiteral(" BOOTP"));
            },
            [](const FlushDnsCache &) { return QStringLiteral("dscacheutil -flushcache"); },
            [](const ReloadResolver &) { return QStringLiteral("killall -HUP mDNSResponder"); },
            [](const SyncClock &o) { return QStringLiteral("sntp -sS ") + shellWord(o.server); },
            [](const Pause &o) { return QStringLiteral("sleep ") + QString::number(o.seconds); },
            [](const EditFile &o) { return editFile(o); },
            [](const RestoreFile &o) { return restoreFile(o); },
        },
        op);
}

QStringList renderCommands(const QList<RepairOp> &ops)
{
    QStringList commands;
    for (const RepairOp &op : ops)
        commands << renderCommand(op);
    return commands;
}

} // namespace brevik
