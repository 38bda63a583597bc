#include "guardian/guardstate.h"

#include "repair/statefiles.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace brevik {

namespace {

// More sightings than this are never counted: runs come every 5 s and a repair follows the
// second one.
constexpr int kLargestCount = 1000;

std::optional<GuardObservation> read(const QString &path)
{
    // A few dozen bytes; anything larger is not ours. Never read through a link.
    const StateFiles::Content content = StateFiles::readSmall(path, 4096);
    if (!content.error.isEmpty() || content.missing)
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(content.bytes).object();
    GuardObservation observation;
    observation.target = object.value(QStringLiteral("target")).toString();
    observation.count = object.value(QStringLiteral("count")).toInt(-1);
    if (observation.count > kLargestCount)
        return std::nullopt;
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
        if (StateFiles::replace(path, bytes).isEmpty())
            return true;
    }
    return false;
}

} // namespace GuardState

} // namespace brevik
