#include "repair/recordvalues.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>

namespace brevik {

namespace {

bool matches(const QString &pattern, const QString &text)
{
    return QRegularExpression(QStringLiteral("\\A(?:") + pattern + QStringLiteral(")\\z"))
        .match(text)
        .hasMatch();
}

bool hasControl(const QString &text, bool tabAllowed)
{
    for (const QChar c : text) {
        if (tabAllowed && c == QLatin1Char('\t'))
            continue;
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

bool isIpv4(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || part.isEmpty() || part.size() > 3 || value < 0 || value > 255 ||
            !matches(QStringLiteral("[0-9]+"), part))
            return false;
    }
    return true;
}

bool isIpv6(const QString &text)
{
    return text.size() <= 64 && text.contains(QLatin1Char(':')) &&
           matches(QStringLiteral("[0-9A-Fa-f:.]+(%[A-Za-z0-9]+)?"), text);
}

std::optional<bool> boolean(const QJsonValue &value)
{
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

// A proxy kind's object: only the fields the kind has, each of its type.
std::optional<QJsonValue> proxyObject(const QJsonValue &value, bool automatic, bool partial)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QStringList fields = automatic
                                   ? QStringList{QStringLiteral("enabled"), QStringLiteral("url")}
                                   : QStringList{QStringLiteral("enabled"),
                                                 QStringLiteral("server"), QStringLiteral("port")};
    QJsonObject normal;
    for (auto field = object.begin(); field != object.end(); ++field) {
        if (!fields.contains(field.key()))
            return std::nullopt;
    }
    for (const QString &name : fields) {
        if (!object.contains(name)) {
            if (!partial)
                return std::nullopt;
            continue;
        }
        const QJsonValue field = object.value(name);
        if (name == QLatin1String("enabled")) {
            if (!boolean(field))
                return std::nullopt;
            normal.insert(name, field);
        } else if (name == QLatin1String("port")) {
            const std::optional<QString> port = RecordValues::recordedPort(field);
            if (!port)
                return std::nullopt;
            normal.insert(name, *port);
        } else {
            const QString text = field.toString();
            const bool fits = name == QLatin1String("url") ? RecordValues::isUrl(text)
                                                            : RecordValues::isHost(text);
            if (!field.isString() || !(text.isEmpty() || fits))
                return std::nullopt;
            normal.insert(name, text);
        }
    }
    return QJsonValue(normal);
}

std::optional<QJsonValue> list(const QJsonValue &value, bool (*fits)(const QString &))
{
    if (!value.isArray() || value.toArray().size() > 256)
        return std::nullopt;
    for (const QJsonValue &entry : value.toArray()) {
        if (!entry.isString() || !fits(entry.toString()))
            return std::nullopt;
    }
    return value;
}

} // namespace

namespace RecordValues {

bool isServiceName(const QString &name)
{
    return !name.trimmed().isEmpty() && name.size() <= 255 && !hasControl(name, false);
}

bool isDevice(const QString &name)
{
    return matches(QStringLiteral("[a-z][a-z0-9]{0,15}"), name);
}

bool isHost(const QString &host)
{
    if (isIpv4(host) || isIpv6(host))
        return true;
    return host.size() <= 253 &&
           matches(QStringLiteral("[A-Za-z0-9_]([A-Za-z0-9_.-]*[A-Za-z0-9_])?"), host);
}

bool isPort(const QString &port)
{
    if (!matches(QStringLiteral("[1-9][0-9]{0,4}"), port))
        return false;
    return port.toInt() <= 65535;
}

bool isAddress(const QString &address)
{
    return isIpv4(address) || isIpv6(address);
}

bool isListEntry(const QString &entry)
{
    return !entry.isEmpty() && entry.size() <= 253 && !hasControl(entry, false) &&
           !matches(QStringLiteral(".*\\s.*"), entry);
}

bool isUrl(const QString &url)
{
    return url.size() <= 2048 && !hasControl(url, false) &&
           matches(QStringLiteral("(https?|file)://\\S+"), url);
}

bool isChecksum(const QString &checksum)
{
    return matches(QStringLiteral("[0-9]{1,10} [0-9]{1,15}"), checksum);
}

bool isPlainText(const QString &text, qsizetype limit)
{
    return text.size() <= limit && !hasControl(text, true);
}

std::optional<QString> recordedPort(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (number != std::floor(number) || number < 0 || number > 65535)
            return std::nullopt;
        return QString::number(qint64(number));
    }
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    if (text.isEmpty() || text == QLatin1String("0") || isPort(text))
        return text;
    return std::nullopt;
}

bool isTarget(const SettingKey &key)
{
    switch (key.kind) {
    case SettingKind::wifiPower:
    case SettingKind::mtu:
        return isDevice(key.target);
    case SettingKind::networkTime:
        return key.target.isEmpty();
    default:
        return isServiceName(key.target);
    }
}

std::optional<QJsonValue> settingValue(SettingKind kind, const QJsonValue &value, bool partial)
{
    switch (kind) {
    case SettingKind::webProxy:
    case SettingKind::secureWebProxy:
    case SettingKind::socksProxy:
        return proxyObject(value, false, partial);
    case SettingKind::autoProxy:
        return proxyObject(value, true, partial);
    case SettingKind::bypassDomains:
        return list(value, isListEntry);
    case SettingKind::dnsServers:
        return list(value, isAddress);
    case SettingKind::ipv6:
        if (value.isString() && !value.toString().isEmpty() && isPlainText(value.toString(), 64))
            return value;
        return std::nullopt;
    case SettingKind::wifiPower:
    case SettingKind::networkTime:
        if (boolean(value))
            return value;
        return std::nullopt;
    case SettingKind::mtu: {
        const double number = value.toDouble(-1);
        if (!value.isDouble() || number != std::floor(number) || number < 68 || number > 65535)
            return std::nullopt;
        return QJsonValue(int(number));
    }
    }
    return std::nullopt;
}

} // namespace RecordValues

} // namespace brevik
