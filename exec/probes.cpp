#include "exec/probes.h"

#include "exec/shell.h"

#include <QRegularExpression>

#include <cmath>

namespace brevik {

qint64 curlSecondsToMs(const QString &seconds)
{
    bool ok = false;
    const double value = seconds.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > 1e9)
        return 0;
    // curl prints microseconds; going through them first keeps 1.005 from becoming
    // 1004.999… ms and truncating to 1004.
    return std::llround(value * 1e6) / 1000;
}

double packetLoss(const QString &pingOutput)
{
    // "5 packets transmitted, 3 packets received, 40.0% packet loss"
    static const QRegularExpression summary(QStringLiteral("([0-9.]+)% packet loss"));
    const QRegularExpressionMatch match = summary.match(pingOutput);
    if (!match.hasMatch())
        return 100.0;
    QString number = match.captured(0);
    number.remove(QStringLiteral("% packet loss"));
    bool ok = false;
    const double loss = number.toDouble(&ok);
    return ok ? loss : 100.0;
}

QString avgRTT(const QString &pingOutput)
{
    // "round-trip min/avg/max/stddev = 7.988/8.477/9.027/0.358 ms"
    static const QRegularExpression roundTrip(QStringLiteral("= [0-9.]+/[0-9.]+/[0-9.]+"));
    const QRegularExpressionMatch match = roundTrip.match(pingOutput);
    if (!match.hasMatch())
        return QStringLiteral("-");
    QString values = match.captured(0);
    values.remove(QStringLiteral("= "));
    const QStringList pieces = values.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return pieces.size() >= 2 ? pieces.at(1) + QStringLiteral(" ms") : QStringLiteral("-");
}

QString curlProxyUrl(const QString &proxy)
{
    return proxy.contains(QLatin1String("://")) ? proxy : QStringLiteral("http://") + proxy;
}

QString httpProbeCommand(const QString &url, const std::optional<QString> &proxy, int timeout)
{
    QString command = QStringLiteral("curl -s -o /dev/null -m ") + QString::number(timeout) +
                      QStringLiteral(" -w '%{http_code} %{time_total}'");
    if (proxy && !proxy->isEmpty())
        command += QStringLiteral(" -x ") + shellQuote(curlProxyUrl(*proxy));
    else
        command += QStringLiteral(" --noproxy '*'");
    return command + QLatin1Char(' ') + shellQuote(url);
}

HttpProbeResult httpProbe(const QString &url, const std::optional<QString> &proxy, int timeout)
{
    const ShellResult result = shell(httpProbeCommand(url, proxy, timeout), timeout + 4.0);
    const QStringList pieces = result.output.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    HttpProbeResult probe;
    if (pieces.isEmpty())
        return probe;
    probe.code = pieces.at(0);
    if (pieces.size() > 1)
        probe.ms = static_cast<int>(curlSecondsToMs(pieces.at(1)));
    probe.ok = !probe.code.isEmpty() && probe.code != QLatin1String("000");
    return probe;
}

} // namespace brevik
