#pragma once

#include <QString>

// What BSD ping prints on macOS for `count` requests of which `received` were answered:
// reply lines, the statistics block and, when anything came back, the round-trip line.
inline QString pingOutput(const QString &host, int count, int received,
                          const QString &roundTrip = QStringLiteral("7.988/8.477/9.027/0.358"))
{
    QString text = QStringLiteral("PING %1 (%1): 56 data bytes\n").arg(host);
    for (int seq = 0; seq < count; ++seq) {
        text += seq < received
                    ? QStringLiteral("64 bytes from %1: icmp_seq=%2 ttl=64 time=8.412 ms\n")
                          .arg(host)
                          .arg(seq)
                    : QStringLiteral("Request timeout for icmp_seq %1\n").arg(seq);
    }
    const double loss = 100.0 * (count - received) / count;
    text += QStringLiteral("\n--- %1 ping statistics ---\n"
                           "%2 packets transmitted, %3 packets received, %4% packet loss\n")
                .arg(host)
                .arg(count)
                .arg(received)
                .arg(loss, 0, 'f', 1);
    if (received > 0)
        text += QStringLiteral("round-trip min/avg/max/stddev = %1 ms\n").arg(roundTrip);
    return text;
}

// BSD ping exits 0 once a reply came, 2 when none did.
inline int pingCode(int received)
{
    return received > 0 ? 0 : 2;
}
