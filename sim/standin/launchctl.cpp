// launchctl: list, load [-w] and unload [-w] of the scenario's launchd jobs. The simulated
// launchd records a job but never starts its program.

#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// The label of a property list, read just well enough to tell a job file from junk.
QString plistLabel(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    if (!text.contains(QLatin1String("<plist")) || !text.contains(QLatin1String("</plist>")) ||
        !text.contains(QLatin1String("<dict>")))
        return {};
    static const QRegularExpression label(
        QStringLiteral("<key>Label</key>\\s*<string>([^<]+)</string>"));
    return label.match(text).captured(1).trimmed();
}

QStringList paths(const QStringList &args)
{
    QStringList list;
    for (const QString &arg : args) {
        if (!arg.startsWith(QLatin1Char('-')))
            list << arg;
    }
    return list;
}

int list(const Sim &sim, const QString &only)
{
    const QJsonObject jobs = sim.state().value(QStringLiteral("launchd")).toObject();
    if (!only.isEmpty()) {
        if (!jobs.contains(only)) {
            err(QStringLiteral("Could not find service \"%1\" in domain for port\n").arg(only));
            return 113;
        }
        const QJsonObject job = jobs.value(only).toObject();
        out(QStringLiteral("{\n\t\"LastExitStatus\" = %1;\n\t\"Label\" = \"%2\";\n};\n")
                .arg(job.value(QStringLiteral("status")).toInt())
                .arg(only));
        return 0;
    }
    QString text = QStringLiteral("PID\tStatus\tLabel\n");
    for (auto it = jobs.begin(); it != jobs.end(); ++it) {
        const QJsonObject job = it.value().toObject();
        const QJsonValue pid = job.value(QStringLiteral("pid"));
        text += QStringLiteral("%1\t%2\t%3\n")
                    .arg(pid.isDouble() ? QString::number(pid.toInt()) : QStringLiteral("-"))
                    .arg(job.value(QStringLiteral("status")).toInt())
                    .arg(it.key());
    }
    out(text);
    return 0;
}

} // namespace

int launchctlMain(Sim &sim, const QStringList &args)
{
    const QString verb = args.value(0);
    if (verb == QLatin1String("list"))
        return list(sim, args.value(1));
    if (verb == QLatin1String("load")) {
        for (const QString &path : paths(args.mid(1))) {
            const QString label = plistLabel(path);
            if (label.isEmpty()) {
                err(QStringLiteral("Load failed: 5: Input/output error\n"));
                return 5;
            }
            if (!sim.update([&](QJsonObject &state) {
                    setAt(state, {"launchd", label}, QJsonObject{{"status", 0}, {"plist", path}});
                    return true;
                }))
                return 1;
        }
        return 0;
    }
    if (verb == QLatin1String("unload")) {
        for (const QString &path : paths(args.mid(1))) {
            // The job is found by its file, or by the label in it.
            QString label = plistLabel(path);
            const QJsonObject jobs = sim.state().value(QStringLiteral("launchd")).toObject();
            for (auto it = jobs.begin(); it != jobs.end(); ++it) {
                if (it.value().toObject().value(QStringLiteral("plist")).toString() == path)
                    label = it.key();
            }
            if (label.isEmpty() || !jobs.contains(label)) {
                err(QStringLiteral("Unload failed: 113: Could not find specified service\n"));
                continue;
            }
            if (!sim.update([&](QJsonObject &state) {
                    removeAt(state, {"launchd", label});
                    return true;
                }))
                return 1;
        }
        return 0;
    }
    err(QStringLiteral("launchctl: %1 is not simulated\n").arg(verb));
    return 1;
}
