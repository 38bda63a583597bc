#include "sim/scenario.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>

namespace brevik {

namespace {

constexpr int kMaxExtendsDepth = 8;

QString builtInPath(const QString &name)
{
    return QStringLiteral(":/scenarios/") + name + QStringLiteral(".json");
}

bool looksLikePath(const QString &text)
{
    return text.contains(QLatin1Char('/')) || text.endsWith(QLatin1String(".json"));
}

std::optional<QJsonObject> readObject(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read scenario %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        if (error)
            *error = QStringLiteral("scenario %1 is not a JSON object: %2")
                         .arg(path, parseError.errorString());
        return std::nullopt;
    }
    return document.object();
}

// A scenario named in "extends" is looked for beside the file first, then built in.
QString locate(const QString &nameOrPath, const QString &besideFolder)
{
    if (looksLikePath(nameOrPath))
        return QFileInfo(nameOrPath).isRelative() && !besideFolder.isEmpty()
                   ? QDir(besideFolder).filePath(nameOrPath)
                   : nameOrPath;
    if (!besideFolder.isEmpty() && !besideFolder.startsWith(QLatin1Char(':'))) {
        const QString beside = QDir(besideFolder).filePath(nameOrPath + QStringLiteral(".json"));
        if (QFileInfo::exists(beside))
            return beside;
    }
    return builtInPath(nameOrPath);
}

std::optional<QJsonObject> loadFrom(const QString &path, int depth, QString *error)
{
    if (depth > kMaxExtendsDepth) {
        if (error)
            *error = QStringLiteral("scenario %1 extends too deeply (a loop?)").arg(path);
        return std::nullopt;
    }
    std::optional<QJsonObject> own = readObject(path, error);
    if (!own)
        return std::nullopt;
    const QString parent = own->value(QStringLiteral("extends")).toString();
    own->remove(QStringLiteral("extends"));
    if (parent.isEmpty())
        return own;
    const std::optional<QJsonObject> base =
        loadFrom(locate(parent, QFileInfo(path).absolutePath()), depth + 1, error);
    if (!base)
        return std::nullopt;
    return Scenario::merge(*base, *own).toObject();
}

} // namespace

QStringList Scenario::builtInNames()
{
    QStringList names;
    const QStringList files = QDir(QStringLiteral(":/scenarios")).entryList({"*.json"});
    for (const QString &file : files)
        names << file.chopped(5);
    return names;
}

QString Scenario::nameOf(const QString &nameOrPath)
{
    if (!looksLikePath(nameOrPath))
        return nameOrPath;
    QString name = QFileInfo(nameOrPath).fileName();
    if (name.endsWith(QLatin1String(".json")))
        name.chop(5);
    return name;
}

std::optional<QJsonObject> Scenario::load(const QString &nameOrPath, QString *error)
{
    const QString path = locate(nameOrPath, QString());
    if (!looksLikePath(nameOrPath) && !QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("unknown scenario \"%1\" (built in: %2)")
                         .arg(nameOrPath, builtInNames().join(QStringLiteral(", ")));
        return std::nullopt;
    }
    std::optional<QJsonObject> state = loadFrom(path, 0, error);
    if (state)
        state->insert(QStringLiteral("scenario"), nameOf(nameOrPath));
    return state;
}

QJsonValue Scenario::merge(const QJsonValue &base, const QJsonValue &over)
{
    if (!base.isObject() || !over.isObject())
        return over;
    QJsonObject merged = base.toObject();
    const QJsonObject overObject = over.toObject();
    for (auto it = overObject.begin(); it != overObject.end(); ++it) {
        if (it.value().isNull())
            merged.remove(it.key());
        else
            merged.insert(it.key(), merge(merged.value(it.key()), it.value()));
    }
    return merged;
}

} // namespace brevik
