// BSD ping: -c count, -t overall time-out in seconds, -D don't fragment, -s payload size.

#include "sim/standin/network.h"
#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <cmath>

namespace brevik {

namespace {

struct Options {
    int count = -1;      // -1: until the time-out (or forever, as ping does)
    double timeout = -1; // -t; -1: none
    bool dontFragment = false;
    int size = 56;
    double interval = 1.0;
    QString target;
};

std::optional<Options> parse(const QStringList &args)
{
    Options options;
    for (int i = 0; i < args.size(); ++i) {
        const QString arg = args.at(i);
        auto value = [&](const QString &flag) -> QString {
            return arg.size() > flag.size() ? arg.mid(flag.size()) : args.value(++i);
        };
        if (arg.startsWith(QLatin1String("-c")))
            options.count = value(QStringLiteral("-c")).toInt();
        else if (arg.startsWith(QLatin1String("-t")))
            options.timeout = value(QStringLiteral("-t")).toDouble();
        else if (arg.startsWith(QLatin1String("-s")))
            options.size = value(QStringLiteral("-s")).toInt();
        else if (arg.startsWith(QLatin1String("-i")))
            options.interval = value(QStringLiteral("-i")).toDouble();
        else if (arg.startsWith(QLatin1String("-W")))
            value(QStringLiteral("-W"));
        else if (arg == QLatin1String("-D"))
            options.dontFragment = true;
        else if (arg == QLatin1String("-q") || arg == QLatin1String("-n"))
            continue;
        else if (arg.startsWith(QLatin1Char('-')))
            return std::nullopt;
        else
            options.target = arg;
    }
    if (options.target.isEmpty())
        return std::nullopt;
    if (options.count <= 0)
        options.count = options.timeout > 0 ? static_cast<int>(std::ceil(options.timeout)) : 5;
    return options;
}

// Which packets a link with `loss` percent drops: spread evenly, the same every run.
bool lost(int seq, int count, double loss)
{
    const int drops = static_cast<int>(std::lround(count * loss / 100.0));
    return (seq + 1) * drops / count > seq * drops / count;
}

} // namespace

int pingMain(Sim &sim, const QStringList &args)
{
    const std::optional<Options> parsed = parse(args);
    if (!parsed) {
        err(QStringLiteral(
            "usage: ping [-DdfnqRrv] [-c count] [-i wait] [-s packetsize] [-t timeout] host\n"));
        return 64;
    }
    const Options &o = *parsed;
    const QJsonObject &state = sim.state();
    const Net::Addresses addresses = Net::resolve(sim, o.target);
    if (addresses.v4.isEmpty()) {
        err(QStringLiteral("ping: cannot resolve %1: Unknown host\n").arg(o.target));
        return 68;
    }
    const QString address = addresses.v4.first();
    const QJsonObject entry = Net::remote(state, address);
    const QJsonObject pingAnswer = entry.value(QStringLiteral("ping")).toObject();
    const QString device = Net::routeInterface(state);
    const bool local = Net::isOwnAddress(state, address);
    const bool lan = entry.value(QStringLiteral("lan")).toBool();

    // What stops a packet before any reply: no route, or a don't-fragment packet larger
    // than the interface or the path takes.
    const int packetSize = o.size + 28;
    const int interfaceMtu = at(state, {"interfaces", device, "mtu"}).toInt(1500);
    const int pathMtu = objectAt(state, {"network"}).value(QStringLiteral("pathMtu")).toInt(1500);
    QString sendError;
    if (!local && device.isEmpty())
        sendError = QStringLiteral("ping: sendto: No route to host\n");
    else if (!local && o.dontFragment &&
             (packetSize > interfaceMtu || (!lan && packetSize > pathMtu)))
        sendError = QStringLiteral("ping: sendto: Message too long\n");

    const bool answers =
        local || (!entry.isEmpty() && !pingAnswer.value(QStringLiteral("filtered")).toBool() &&
                  (lan || Net::uplink(state) == QLatin1String("ok")));
    const double loss = local ? 0 : pingAnswer.value(QStringLiteral("loss")).toDouble();
    const double rtt = local ? 0.05 : pingAnswer.value(QStringLiteral("rtt")).toDouble(20.0);
    const int ttl = local ? 64 : pingAnswer.value(QStringLiteral("ttl")).toInt(lan ? 64 : 117);

    out(QStringLiteral("PING %1 (%2): %3 data bytes\n").arg(o.target, address).arg(o.size));
    QList<double> times;
    double elapsed = 0;
    int sent = 0;
    for (int seq = 0; seq < o.count; ++seq) {
        if (o.timeout > 0 && elapsed > o.timeout)
            break;
        ++sent;
        const bool reply = sendError.isEmpty() && answers && !lost(seq, o.count, loss);
        const double wait = seq + 1 < o.count ? o.interval : 0;
        if (reply) {
            // A little jitter around the scenario's round trip, the same on every run.
            const double time = rtt * (1.0 + 0.06 * std::sin(seq * 1.7 + 0.3));
            sim.wait(time / 1000.0);
            out(QStringLiteral("%1 bytes from %2: icmp_seq=%3 ttl=%4 time=%5 ms\n")
                    .arg(o.size + 8)
                    .arg(address)
                    .arg(seq)
                    .arg(ttl)
                    .arg(time, 0, 'f', 3));
            times << time;
            sim.wait(std::max(0.0, wait - time / 1000.0));
        } else {
            err(sendError);
            // BSD ping reports a missing reply when it sends the next packet.
            if (seq + 1 < o.count)
                out(QStringLiteral("Request timeout for icmp_seq %1\n").arg(seq));
            sim.wait(wait);
        }
        elapsed += wait;
    }
    // The last packet's reply is awaited until the time-out when it did not come.
    if (times.size() < sent && o.timeout > elapsed)
        sim.wait(o.timeout - elapsed);

    const int received = times.size();
    const double lossPercent = sent ? 100.0 * (sent - received) / sent : 100.0;
    QString summary =
        QStringLiteral("\n--- %1 ping statistics ---\n"
                       "%2 packets transmitted, %3 packets received, %4% packet loss\n")
            .arg(o.target)
            .arg(sent)
            .arg(received)
            .arg(lossPercent, 0, 'f', 1);
    if (received > 0) {
        double sum = 0, squares = 0;
        for (double t : times) {
            sum += t;
            squares += t * t;
        }
        const double avg = sum / received;
        const double stddev = std::sqrt(std::max(0.0, squares / received - avg * avg));
        summary += QStringLiteral("round-trip min/avg/max/stddev = %1/%2/%3/%4 ms\n")
                       .arg(*std::min_element(times.begin(), times.end()), 0, 'f', 3)
                       .arg(avg, 0, 'f', 3)
                       .arg(*std::max_element(times.begin(), times.end()), 0, 'f', 3)
                       .arg(stddev, 0, 'f', 3);
    }
    out(summary);
    // "ping" exits 2 when no reply came at all, 0 as soon as one did.
    return received > 0 ? 0 : 2;
}

} // namespace brevik
