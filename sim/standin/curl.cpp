// curl: the forms the system uses (-s -S -o -m -w -L -I -A -x --noproxy -r -6 and combined
// short flags). Answers come from the scenario's "remote" sites; the wait is as long as the
// site takes, cut at -m exactly as curl cuts it, with curl's exit codes.

#include "sim/standin/curlresponse.h"
#include "sim/standin/network.h"
#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QFile>
#include <QUrl>

namespace brevik {

namespace {

// Without -m, curl waits for a connection up to 300 seconds; the runner ends it earlier.
constexpr double kNoLimit = 300.0;
constexpr int kMaxRedirects = 10;

struct Options {
    bool silent = false;
    bool showError = false;
    bool follow = false;
    bool head = false;
    bool ipv6 = false;
    bool noProxy = false;
    double maxTime = -1;
    QString output;
    QString writeOut;
    QString proxy;
    QString range;
    QString url;
};

std::optional<Options> parse(const QStringList &args, QString *bad)
{
    Options o;
    for (int i = 0; i < args.size(); ++i) {
        const QString arg = args.at(i);
        auto next = [&]() { return args.value(++i); };
        if (arg == QLatin1String("--max-time"))
            o.maxTime = next().toDouble();
        else if (arg == QLatin1String("--connect-timeout") ||
                 arg == QLatin1String("--user-agent") || arg == QLatin1String("-H") ||
                 arg == QLatin1String("--header"))
            next();
        else if (arg == QLatin1String("--output"))
            o.output = next();
        else if (arg == QLatin1String("--write-out"))
            o.writeOut = next();
        else if (arg == QLatin1String("--proxy"))
            o.proxy = next();
        else if (arg == QLatin1String("--noproxy"))
            o.noProxy = !next().isEmpty();
        else if (arg == QLatin1String("--range"))
            o.range = next();
        else if (arg == QLatin1String("--silent"))
            o.silent = true;
        else if (arg == QLatin1String("--location"))
            o.follow = true;
        else if (arg == QLatin1String("--head"))
            o.head = true;
        else if (arg == QLatin1String("--ipv6"))
            o.ipv6 = true;
        else if (arg.startsWith(QLatin1String("--"))) {
            *bad = arg;
            return std::nullopt;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            // Combined short flags: "-sL", "-sI"; a flag that takes a value ends the group.
            for (int k = 1; k < arg.size(); ++k) {
                const QChar flag = arg.at(k);
                const QString attached = arg.mid(k + 1);
                auto value = [&]() { return attached.isEmpty() ? next() : attached; };
                switch (flag.toLatin1()) {
                case 's':
                    o.silent = true;
                    continue;
                case 'S':
                    o.showError = true;
                    continue;
                case 'L':
                    o.follow = true;
                    continue;
                case 'I':
                    o.head = true;
                    continue;
                case '6':
                    o.ipv6 = true;
                    continue;
                case '4':
                case 'k':
                case 'f':
                case 'v':
                    continue;
                case 'm':
                    o.maxTime = value().toDouble();
                    break;
                case 'o':
                    o.output = value();
                    break;
                case 'w':
                    o.writeOut = value();
                    break;
                case 'x':
                    o.proxy = value();
                    break;
                case 'r':
                    o.range = value();
                    break;
                case 'A':
                case 'H':
                    value();
                    break;
                default:
                    *bad = QStringLiteral("-") + flag;
                    return std::nullopt;
                }
                break;
            }
        } else {
            o.url = arg;
        }
    }
    return o;
}

// "%{http_code} %{time_total}" and the escapes curl knows in -w.
QString writeOut(const QString &format, const Transfer &t)
{
    QString text;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\\') && i + 1 < format.size()) {
            const QChar e = format.at(++i);
            text += e == QLatin1Char('n')   ? QStringLiteral("\n")
                    : e == QLatin1Char('t') ? QStringLiteral("\t")
                    : e == QLatin1Char('r') ? QStringLiteral("\r")
                                            : QString(e);
            continue;
        }
        if (c == QLatin1Char('%') && format.mid(i, 2) == QLatin1String("%{")) {
            const int end = format.indexOf(QLatin1Char('}'), i);
            if (end > 0) {
                const QString name = format.mid(i + 2, end - i - 2);
                i = end;
                if (name == QLatin1String("http_code") || name == QLatin1String("response_code"))
                    text += QStringLiteral("%1").arg(t.code, 3, 10, QLatin1Char('0'));
                else if (name == QLatin1String("time_total") ||
                         name == QLatin1String("time_starttransfer"))
                    text += QString::number(t.time, 'f', 6);
                else if (name == QLatin1String("time_connect"))
                    text += QString::number(t.connectTime, 'f', 6);
                else if (name == QLatin1String("size_download"))
                    text += QString::number(t.size);
                else if (name == QLatin1String("speed_download"))
                    text += QString::number(t.time > 0 ? qint64(t.size / t.time) : 0);
                else if (name == QLatin1String("url_effective"))
                    text += t.url;
                else if (name == QLatin1String("num_redirects"))
                    text += QString::number(t.redirects);
                else if (name == QLatin1String("remote_ip"))
                    text += t.remoteIp;
                else if (name == QLatin1String("exitcode"))
                    text += QString::number(t.exit);
                else if (name == QLatin1String("content_type"))
                    text += t.contentType;
                continue;
            }
        }
        if (c == QLatin1Char('%') && format.mid(i, 2) == QLatin1String("%%")) {
            text += QLatin1Char('%');
            ++i;
            continue;
        }
        text += c;
    }
    return text;
}

qint64 rangeLength(const QString &range)
{
    if (range.isEmpty())
        return -1;
    const qint64 from = range.section(QLatin1Char('-'), 0, 0).toLongLong();
    const QString to = range.section(QLatin1Char('-'), 1, 1);
    return to.isEmpty() ? -1 : to.toLongLong() - from + 1;
}

} // namespace

int curlMain(Sim &sim, const QStringList &args)
{
    QString bad;
    const std::optional<Options> parsed = parse(args, &bad);
    if (!parsed) {
        err(QStringLiteral("curl: option %1: is unknown\n"
                           "curl: try 'curl --help' or 'curl --manual' for more information\n")
                .arg(bad));
        return 2;
    }
    const Options &o = *parsed;
    if (o.url.isEmpty()) {
        err(QStringLiteral("curl: no URL specified!\n"));
        return 2;
    }
    Request request;
    request.limit = o.maxTime > 0 ? o.maxTime : kNoLimit;
    request.head = o.head;
    request.ipv6 = o.ipv6;
    request.proxy = o.noProxy ? QString() : o.proxy;
    request.rangeLength = rangeLength(o.range);

    Transfer total;
    QString url = o.url;
    QString shown; // headers of every answer (-I) or the last body
    for (int hop = 0;; ++hop) {
        request.url = url;
        request.elapsed = total.time;
        Transfer t = fetch(sim, request);
        t.redirects = hop;
        shown += t.headers;
        total = t;
        if (t.exit != 0 || !o.follow || t.location.isEmpty() || hop >= kMaxRedirects)
            break;
        url = QUrl(url).resolved(QUrl(t.location)).toString();
    }
    sim.wait(total.time - total.waited);

    const QString payload = o.head ? shown : total.body;
    if (!o.output.isEmpty() && o.output != QLatin1String("/dev/null")) {
        QFile file(o.output);
        if (!sim.insideFolder(o.output) || !file.open(QIODevice::WriteOnly)) {
            if (!o.silent || o.showError)
                err(QStringLiteral("curl: (23) Failure writing output to destination\n"));
            return 23;
        }
        file.write(payload.toUtf8());
    } else if (o.output.isEmpty()) {
        out(payload);
    }
    if (!o.writeOut.isEmpty())
        out(writeOut(o.writeOut, total));
    if (total.exit != 0 && (!o.silent || o.showError))
        err(QStringLiteral("curl: (%1) %2\n").arg(total.exit).arg(total.error));
    return total.exit;
}

} // namespace brevik
