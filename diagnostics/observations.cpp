#include "diagnostics/observations.h"

#include <QRegularExpression>

namespace brevik {

PingReading readPing(const ShellResult &ping)
{
    return PingReading{ping.code, packetLoss(ping.output), avgRTT(ping.output)};
}

// "arp -n" prints "? (192.168.1.1) at 8c:53:c3:aa:bb:cc on en0 ifscope [ethernet]" for a
// neighbour that answered, "? (192.168.1.1) at (incomplete) on en0 ifscope [ethernet]" for one
// that was asked and stayed silent, and "192.168.1.1 (192.168.1.1) -- no entry" for one never
// asked. macOS drops a hardware address's leading zeros ("0:1b:63:4:5:e6").
bool arpAnswered(const QString &arpOutput)
{
    static const QRegularExpression resolved(
        QStringLiteral(" at [0-9A-Fa-f]{1,2}(:[0-9A-Fa-f]{1,2}){5}\\b"));
    return resolved.match(arpOutput).hasMatch();
}

} // namespace brevik
