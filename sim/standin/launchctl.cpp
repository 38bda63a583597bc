// launchctl: list, load [-w] and unload [-w] of the scenario's launchd jobs. The simulated
// launchd records a job but never starts its program. Like the real one on recent macOS,
// "load" reports a file it refuses with "Load failed: …" and still exits 0.

#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QFile>
#include <QXmlStreamReader>

namespace brevik {

namespace {

// The label of a job's property list; empty when launchd would refuse the file: not
// well-formed XML (a control character in a path, say), or a dictionary without a Label and a
// program to start.
QString plistLabel(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader reader(&file);
    QString key;
    QString label;
    bool program = false;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("key"))
            key = reader.readElementText();
        else if (key == QLatin1String("Label") && reader.name() == QLatin1String("string"))
            label = reader.readElementText().trimmed();
        else if (key == QLatin1String("ProgramArguments") || key == QLatin1String("Program"))
            program = true;
    }
    return reader.hasError() || !program ? QString() : label;
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
            // Recent macOS reports a refused file and still exits 0.
            if (label.isEmpty()) {
                err(QStringLiteral("Load failed: 5: Input/output error\n"));
                continue;
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

} // namespace brevik
