#include "repair/commandeffect.h"

#include "diagnostics/fileedit.h"

#include <QJsonArray>
#include <QJsonObject>

#include <optional>

namespace brevik {

namespace {

// The words of a command line, for the plain forms the repairs write: bare words and
// single-quoted ones. Anything the shell would expand or interpret gives no words at all.
std::optional<QStringList> shellWords(const QString &line)
{
    static const QString special = QStringLiteral("\"$`;|&<>(){}*?[]#~");
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('\'')) {
            const qsizetype end = line.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return std::nullopt;
            word += line.mid(i + 1, end - i - 1);
            inWord = true;
            i = end;
        } else if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            word += line.at(++i);
            inWord = true;
        } else if (special.contains(c)) {
            return std::nullopt;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

std::optional<bool> onOff(const QString &word)
{
    if (word.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

CommandEffect setting(SettingKind kind, const QString &target, const QJsonValue &value)
{
    return {CommandEffect::Type::setting, {{kind, target}, value}, {}, {}};
}

CommandEffect oneTime(const QString &what)
{
    return {CommandEffect::Type::oneTime, {}, {}, what};
}

// "-setwebproxy" and its relatives, with the kind they name.
const QList<QPair<QString, SettingKind>> kServerKinds{
    {QStringLiteral("webproxy"), SettingKind::webProxy},
    {QStringLiteral("securewebproxy"), SettingKind::secureWebProxy},
    {QStringLiteral("socksfirewallproxy"), SettingKind::socksProxy},
};

// A list argument where "Empty" stands for no entries at all.
QJsonArray listOf(const QStringList &words)
{
    if (words == QStringList{QStringLiteral("Empty")})
        return {};
    return QJsonArray::fromStringList(words);
}

CommandEffect networksetup(const QStringList &words)
{
    const QString option = words.value(1).toLower();
    const QString target = words.value(2);
    const QStringList values = words.mid(3);
    if (option == QLatin1String("-ordernetworkservices") && words.size() > 2)
        return setting(SettingKind::serviceOrder, {}, QJsonArray::fromStringList(words.mid(2)));
    if (!option.startsWith(QLatin1String("-set")) || target.isEmpty())
        return {};
    const QString verb = option.mid(4);
    for (const auto &[name, kind] : kServerKinds) {
        // "-setwebproxy 'Wi-Fi' 127.0.0.1 7890" points the kind there and switches it on.
        if (verb == name && values.size() >= 2)
            return setting(
                kind, target,
                QJsonObject{{"enabled", true}, {"server", values.at(0)}, {"port", values.at(1)}});
        if (verb == name + QStringLiteral("state") && onOff(values.value(0)))
            return setting(kind, target, QJsonObject{{"enabled", *onOff(values.value(0))}});
    }
    const std::optional<bool> on = onOff(values.value(0));
    if (verb == QLatin1String("autoproxystate") && on)
        return setting(SettingKind::autoProxy, target, QJsonObject{{"enabled", *on}});
    if (verb == QLatin1String("autoproxyurl") && values.size() == 1)
        return setting(SettingKind::autoProxy, target,
                       QJsonObject{{"enabled", true}, {"url", values.first()}});
    if (verb == QLatin1String("proxybypassdomains") && !values.isEmpty())
        return setting(SettingKind::bypassDomains, target, listOf(values));
    if (verb == QLatin1String("dnsservers") && !values.isEmpty())
        return setting(SettingKind::dnsServers, target, listOf(values));
    if (verb == QLatin1String("v6off") && values.isEmpty())
        return setting(SettingKind::ipv6, target, QStringLiteral("Off"));
    if (verb == QLatin1String("v6automatic") && values.isEmpty())
        return setting(SettingKind::ipv6, target, QStringLiteral("Automatic"));
    if (verb == QLatin1String("networkserviceenabled") && on)
        return setting(SettingKind::serviceEnabled, target, *on);
    if (verb == QLatin1String("airportpower") && on)
        return setting(SettingKind::wifiPower, target, *on);
    return {};
}

CommandEffect ifconfig(const QStringList &words)
{
    const QString iface = words.value(1);
    const QString what = words.value(2);
    bool numeric = false;
    const int mtu = words.value(3).toInt(&numeric);
    if (what == QLatin1String("mtu") && numeric && words.size() == 4)
        return setting(SettingKind::mtu, iface, mtu);
    // A reset takes the interface down and up again; nothing stays changed.
    if ((what == QLatin1String("down") || what == QLatin1String("up")) && words.size() == 3)
        return oneTime(QStringLiteral("重置网络接口（") + iface + QStringLiteral("）"));
    return {};
}

CommandEffect effectOfWords(const QStringList &words)
{
    const QString tool = words.value(0);
    if (tool == QLatin1String("networksetup"))
        return networksetup(words);
    if (tool == QLatin1String("ifconfig"))
        return ifconfig(words);
    if (tool == QLatin1String("sleep"))
        return {CommandEffect::Type::harmless, {}, {}, {}};
    if (tool == QLatin1String("ipconfig") && words.value(1) == QLatin1String("set"))
        return oneTime(QStringLiteral("续订 DHCP 租约（") + words.value(2) + QStringLiteral("）"));
    if (tool == QLatin1String("dscacheutil") && words.value(1) == QLatin1String("-flushcache"))
        return oneTime(QStringLiteral("刷新 DNS 缓存"));
    if (tool == QLatin1String("killall")) {
        const QString process = words.last();
        // -HUP asks the resolver daemon to reload; any other signal ends the process.
        return oneTime(words.value(1) == QLatin1String("-HUP")
                           ? QStringLiteral("重启 DNS 解析服务（") + process + QStringLiteral("）")
                           : QStringLiteral("结束进程 ") + process);
    }
    if (tool == QLatin1String("sntp"))
        return oneTime(QStringLiteral("按网络时间校准系统时钟"));
    if (tool == QLatin1String("systemsetup") &&
        words.value(1).toLower() == QLatin1String("-setusingnetworktime") && onOff(words.value(2)))
        return setting(SettingKind::networkTime, {}, *onOff(words.value(2)));
    if (tool.endsWith(QLatin1String("/socketfilterfw")) &&
        words.value(1) == QLatin1String("--setglobalstate") && onOff(words.value(2)))
        return setting(SettingKind::firewall, {}, *onOff(words.value(2)) ? 1 : 0);
    return {};
}

} // namespace

namespace CommandEffects {

CommandEffect of(const QString &command)
{
    if (const std::optional<QString> file = FileEdit::editedFile(command))
        return {CommandEffect::Type::fileEdit, {}, *file, {}};
    const std::optional<QStringList> words = shellWords(command.trimmed());
    if (!words || words->isEmpty())
        return {};
    return effectOfWords(*words);
}

QList<SettingKey> changedSettings(const QStringList &commands)
{
    QList<SettingKey> keys;
    for (const QString &command : commands) {
        const CommandEffect effect = of(command);
        if (effect.type == CommandEffect::Type::setting && !keys.contains(effect.write.key))
            keys << effect.write.key;
    }
    return keys;
}

QJsonValue applied(const SettingKey &key, const QJsonValue &before, const QStringList &commands)
{
    QJsonValue value = before;
    for (const QString &command : commands) {
        const CommandEffect effect = of(command);
        if (effect.type != CommandEffect::Type::setting || !(effect.write.key == key))
            continue;
        if (!effect.write.value.isObject()) {
            value = effect.write.value;
            continue;
        }
        QJsonObject merged = value.toObject();
        const QJsonObject written = effect.write.value.toObject();
        for (auto field = written.begin(); field != written.end(); ++field)
            merged.insert(field.key(), field.value());
        value = merged;
    }
    return value;
}

bool shows(const QJsonValue &actual, const QJsonValue &expected)
{
    if (!expected.isObject())
        return actual == expected;
    const QJsonObject fields = expected.toObject();
    const QJsonObject shown = actual.toObject();
    for (auto field = fields.begin(); field != fields.end(); ++field) {
        if (shown.value(field.key()) != field.value())
            return false;
    }
    return true;
}

} // namespace CommandEffects

} // namespace brevik
