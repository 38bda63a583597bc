// nc -z: a connection test. -G is BSD nc's connect time-out in seconds; -w also bounds it.

#include "sim/standin/network.h"
#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

namespace brevik {

namespace {

// BSD nc names well-known ports after /etc/services; others show as "*".
QString portName(int port)
{
    switch (port) {
    case 80:
        return QStringLiteral("http");
    case 443:
        return QStringLiteral("https");
    case 53:
        return QStringLiteral("domain");
    default:
        return QStringLiteral("*");
    }
}

// Without -G, a connection attempt on macOS gives up after about 75 seconds.
constexpr double kDefaultConnectTimeout = 75.0;

} // namespace

int ncMain(Sim &sim, const QStringList &args)
{
    double timeout = kDefaultConnectTimeout;
    bool scanOnly = false;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString arg = args.at(i);
        if (arg == QLatin1String("-G") || arg == QLatin1String("-w"))
            timeout = std::min(timeout, args.value(++i).toDouble());
        else if (arg.startsWith(QLatin1Char('-'))) {
            for (QChar flag : arg.mid(1)) {
                if (flag == QLatin1Char('z'))
                    scanOnly = true;
            }
        } else
            positional << arg;
    }
    if (!scanOnly || positional.size() != 2) {
        err(QStringLiteral("nc: only \"nc -z [-G secs] host port\" is simulated\n"));
        return 1;
    }
    const QString host = positional.at(0);
    bool portOk = false;
    const int port = positional.at(1).toInt(&portOk);
    if (!portOk) {
        err(QStringLiteral("nc: port number invalid: %1\n").arg(positional.at(1)));
        return 1;
    }
    const Net::Addresses addresses = Net::resolve(sim, host);
    if (addresses.v4.isEmpty() && addresses.v6.isEmpty()) {
        err(QStringLiteral("nc: getaddrinfo: nodename nor servname provided, or not known\n"));
        return 1;
    }
    const QString address = addresses.v4.isEmpty() ? addresses.v6.first() : addresses.v4.first();
    const Net::Connection connection = Net::connect(sim.state(), address, port);
    const bool open =
        (connection.result == Net::Connect::Open || connection.result == Net::Connect::Portal);
    if (open && connection.delay <= timeout) {
        sim.wait(connection.delay);
        err(QStringLiteral("Connection to %1 port %2 [tcp/%3] succeeded!\n")
                .arg(host)
                .arg(port)
                .arg(portName(port)));
        return 0;
    }
    // A dropped or too slow connection costs the whole time-out; a refusal comes at once.
    if (open || connection.result == Net::Connect::Timeout)
        sim.wait(timeout);
    return 1;
}

} // namespace brevik
