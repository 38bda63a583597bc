// ps, lsof and killall: the scenario's processes and the ports they listen on. killall
// changes only the scenario; no real process is ever signalled.

#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QJsonArray>
#include <algorithm>

namespace brevik {

namespace {

struct Process {
    qint64 pid = 0;
    QString path;
    QString user;
    QJsonArray listen;
};

QList<Process> processes(const Sim &sim)
{
    const QString me = sim.state().value(QStringLiteral("user")).toString(QStringLiteral("alice"));
    const QJsonObject all = sim.state().value(QStringLiteral("processes")).toObject();
    QList<Process> list;
    for (auto it = all.begin(); it != all.end(); ++it) {
        const QJsonObject p = it.value().toObject();
        list << Process{it.key().toLongLong(), p.value(QStringLiteral("path")).toString(),
                        p.value(QStringLiteral("user")).toString(me),
                        p.value(QStringLiteral("listen")).toArray()};
    }
    std::sort(list.begin(), list.end(),
              [](const Process &a, const Process &b) { return a.pid < b.pid; });
    return list;
}

QString commandName(const Process &p)
{
    return QFileInfo(p.path).fileName();
}

// lsof shows at most nine characters of the command and escapes blanks.
QString lsofCommand(const Process &p)
{
    QString name = commandName(p).left(9);
    return name.replace(QLatin1Char(' '), QStringLiteral("\\x20"));
}

QString deviceId(const Process &p, int index)
{
    const QByteArray seed = QByteArray::number(p.pid) + ':' + QByteArray::number(index);
    return QStringLiteral("0x") +
           QString::fromLatin1(
               QCryptographicHash::hash(seed, QCryptographicHash::Sha1).toHex().left(16));
}

const QStringList kKeepRunning{QStringLiteral("HUP"),  QStringLiteral("1"),
                               QStringLiteral("USR1"), QStringLiteral("USR2"),
                               QStringLiteral("INFO"), QStringLiteral("0")};

} // namespace

int psMain(Sim &sim, const QStringList &args)
{
    // "-Ao pid=,comm=": the column list follows an option group ending in "o", or "-o".
    QStringList columns;
    for (int i = 0; i < args.size(); ++i) {
        const QString arg = args.at(i);
        if (!arg.startsWith(QLatin1Char('-')))
            continue;
        if (arg.endsWith(QLatin1Char('o')))
            columns << args.value(++i).split(QLatin1Char(','), Qt::SkipEmptyParts);
        else if (arg.startsWith(QLatin1String("-o")))
            columns << arg.mid(2).split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
    if (columns.isEmpty())
        columns = {QStringLiteral("pid"), QStringLiteral("comm")};
    const bool header = !columns.first().endsWith(QLatin1Char('='));
    QString text;
    if (header) {
        QStringList titles;
        for (QString column : columns)
            titles << (column.startsWith(QLatin1String("pid"))
                           ? QStringLiteral("  PID")
                           : column.remove(QLatin1Char('=')).toUpper());
        text += titles.join(QLatin1Char(' ')) + QLatin1Char('\n');
    }
    for (const Process &p : processes(sim)) {
        QStringList fields;
        for (const QString &column : columns) {
            if (column.startsWith(QLatin1String("pid")))
                fields << QStringLiteral("%1").arg(p.pid, 5);
            else if (column.startsWith(QLatin1String("user")))
                fields << p.user;
            else
                fields << p.path; // comm and command: the path as started
        }
        text += fields.join(QLatin1Char(' ')) + QLatin1Char('\n');
    }
    out(text);
    return 0;
}

int lsofMain(Sim &sim, const QStringList &args)
{
    // Any -i form lists the TCP listeners, optionally of one port ("-iTCP:7890").
    int onlyPort = -1;
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("-i")) && arg.contains(QLatin1Char(':')))
            onlyPort = arg.section(QLatin1Char(':'), -1).toInt();
    }
    QString text;
    for (const Process &p : processes(sim)) {
        for (int i = 0; i < p.listen.size(); ++i) {
            const QJsonObject listen = p.listen.at(i).toObject();
            const int port = listen.value(QStringLiteral("port")).toInt();
            if (onlyPort >= 0 && port != onlyPort)
                continue;
            const QString address =
                listen.value(QStringLiteral("address")).toString(QStringLiteral("*"));
            const bool v6 = address.startsWith(QLatin1Char('['));
            text += QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9:%10 (LISTEN)\n")
                        .arg(lsofCommand(p).leftJustified(9))
                        .arg(p.pid, 5)
                        .arg(p.user.leftJustified(5))
                        .arg(QStringLiteral("%1u").arg(9 + i), 4)
                        .arg(v6 ? QStringLiteral("IPv6") : QStringLiteral("IPv4"), 5)
                        .arg(deviceId(p, i), 18)
                        .arg(QStringLiteral("0t0"), 8)
                        .arg(QStringLiteral("TCP"), 4)
                        .arg(address)
                        .arg(port);
        }
    }
    if (text.isEmpty())
        return 1; // lsof exits 1 when it found nothing to list
    out(QStringLiteral("COMMAND     PID USER   FD   TYPE             DEVICE SIZE/OFF NODE NAME\n") +
        text);
    return 0;
}

int killallMain(Sim &sim, const QStringList &args)
{
    QString signal = QStringLiteral("TERM");
    QStringList names;
    for (int i = 0; i < args.size(); ++i) {
        const QString arg = args.at(i);
        if (arg == QLatin1String("-s") || arg == QLatin1String("-SIGNAL"))
            signal = args.value(++i);
        else if (arg.startsWith(QLatin1Char('-')))
            signal = arg.mid(1).remove(QStringLiteral("SIG"));
        else
            names << arg;
    }
    const QString me = sim.state().value(QStringLiteral("user")).toString(QStringLiteral("alice"));
    QStringList matched;
    for (const Process &p : processes(sim)) {
        // Without root only one's own processes can be signalled (mDNSResponder is not).
        if (names.contains(commandName(p)) && (sim.admin() || p.user == me))
            matched << QString::number(p.pid);
    }
    if (matched.isEmpty()) {
        err(QStringLiteral("No matching processes belonging to you were found\n"));
        return 1;
    }
    if (kKeepRunning.contains(signal.toUpper()))
        return 0;
    return sim.update([&](QJsonObject &state) {
        QJsonObject all = state.value(QStringLiteral("processes")).toObject();
        for (const QString &pid : matched)
            all.remove(pid);
        state.insert(QStringLiteral("processes"), all);
        return true;
    })
               ? 0
               : 1;
}

} // namespace brevik
