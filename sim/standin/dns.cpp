// dig and dscacheutil: what DNS and the system's resolver cache answer.

#include "sim/standin/network.h"
#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

namespace brevik {

int digMain(Sim &sim, const QStringList &args)
{
    double wait = 5;
    int tries = 3;
    QString name;
    QString type = QStringLiteral("A");
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("+time=")))
            wait = arg.mid(6).toDouble();
        else if (arg.startsWith(QLatin1String("+tries=")))
            tries = arg.mid(7).toInt();
        else if (arg.startsWith(QLatin1Char('+')) || arg.startsWith(QLatin1Char('@')))
            continue;
        else if (arg == QLatin1String("A") || arg == QLatin1String("AAAA"))
            type = arg;
        else
            name = arg;
    }
    const QJsonObject &state = sim.state();
    if (!Net::dnsWorks(state)) {
        sim.wait(wait * std::max(1, tries));
        out(QStringLiteral(";; connection timed out; no servers could be reached\n"));
        return 9;
    }
    // dig asks DNS only: the hosts file plays no part. CNAMEs come first, with their dot.
    const QJsonObject entry = Net::remote(state, name);
    const Net::Addresses answer = Net::dnsAnswer(state, name);
    QStringList lines = toStringList(entry.value(QStringLiteral("cname")));
    lines << (type == QLatin1String("AAAA") ? answer.v6 : answer.v4);
    if (answer.v4.isEmpty() && answer.v6.isEmpty())
        lines.clear(); // NXDOMAIN: +short prints nothing
    sim.wait(0.03);
    if (!lines.isEmpty())
        out(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    return 0;
}

int dscacheutilMain(Sim &sim, const QStringList &args)
{
    if (args == QStringList{QStringLiteral("-flushcache")})
        return 0;
    const int at = args.indexOf(QStringLiteral("-a"));
    if (args.value(0) != QLatin1String("-q") || args.value(1) != QLatin1String("host") || at < 0 ||
        args.value(at + 1) != QLatin1String("name")) {
        err(QStringLiteral(
            "dscacheutil: only -flushcache and -q host -a name NAME are simulated\n"));
        return 1;
    }
    const QString name = args.value(at + 2);
    const Net::Addresses addresses = Net::resolve(sim, name);
    QStringList records;
    for (const QString &address : addresses.v6)
        records << QStringLiteral("name: %1\nipv6_address: %2\n").arg(name, address);
    for (const QString &address : addresses.v4)
        records << QStringLiteral("name: %1\nip_address: %2\n").arg(name, address);
    if (!records.isEmpty())
        out(records.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    return 0;
}

} // namespace brevik
