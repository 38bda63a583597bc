#include "guardian/guardstate.h"

#include "guardian/atomicwrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace brevik {

namespace {

std::optional<GuardObservation> read(const QString &path)
{
    QFile file(path);
    // A few dozen bytes; anything larger is not ours.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4096)
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    GuardObservation observation;
    observation.target = object.value(QStringLiteral("target")).toString();
    observation.count = object.value(QStringLiteral("count")).toInt(-1);
    observation.observed = QDateTime::fromString(
        object.value(QStringLiteral("observed")).toString(), Qt::ISODateWithMs);
    if (observation.target.isEmpty() || observation.count < 0 || !observation.observed.isValid())
        return std::nullopt;
    return observation;
}

} // namespace

namespace GuardState {

std::optional<GuardObservation> load(const QStringList &paths, const QDateTime &now)
{
    std::optional<GuardObservation> newest;
    for (const QString &path : paths) {
        const std::optional<GuardObservation> observation = read(path);
        if (!observation)
            continue;
        const qint64 age = observation->observed.msecsTo(now);
        if (age < 0 || age > kFreshForMs)
            continue;
        if (!newest || observation->observed > newest->observed)
            newest = observation;
    }
    return newest;
}

bool save(const QStringList &paths, const GuardObservation &observation)
{
    const QJsonObject object{
        {QStringLiteral("target"), observation.target},
        {QStringLiteral("count"), observation.count},
        {QStringLiteral("observed"), observation.observed.toUTC().toString(Qt::ISODateWithMs)},
    };
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Compact);
    for (const QString &path : paths) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (writeAtomically(path, bytes))
            return true;
    }
    return false;
}

} // namespace GuardState

} // namespace brevik
