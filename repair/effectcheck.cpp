#include "repair/effectcheck.h"

#include "exec/shell.h"

#include <optional>

namespace {

constexpr double kQueryTimeout = 10.0;

// What one read-back query must show.
struct Expectation {
    QString query;
    QStringList lines;  // lines the query must print
    bool exact = false; // the query must print these lines and nothing else
};

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

// "networksetup -setwebproxystate 'Wi-Fi' off" and "-setwebproxy 'Wi-Fi' HOST PORT" are read
// back by "-getwebproxy 'Wi-Fi'"; the automatic proxy's state by "-getautoproxyurl".
QString proxyQuery(const QString &setter, const QString &service)
{
    static const QStringList kinds{QStringLiteral("webproxy"), QStringLiteral("securewebproxy"),
                                   QStringLiteral("socksfirewallproxy"),
                                   QStringLiteral("autoproxy")};
    for (const QString &kind : kinds) {
        const bool autoProxy = kind == QLatin1String("autoproxy");
        const QString stem = QStringLiteral("-set") + kind;
        if (setter == stem + QStringLiteral("state") || (!autoProxy && setter == stem)) {
            return QStringLiteral("networksetup -get") + kind +
                   (autoProxy ? QStringLiteral("url ") : QStringLiteral(" ")) + shellQuote(service);
        }
    }
    return {};
}

std::optional<Expectation> expectationOf(const QString &command)
{
    const std::optional<QStringList> words = shellWords(command);
    if (!words || words->size() < 4 || words->at(0) != QLatin1String("networksetup"))
        return std::nullopt;
    const QString &setter = words->at(1);
    const QString &service = words->at(2);
    // "-setdnsservers 'Wi-Fi' 223.5.5.5 119.29.29.29"; "Empty" clears the list.
    if (setter == QLatin1String("-setdnsservers")) {
        const QString query = QStringLiteral("networksetup -getdnsservers ") + shellQuote(service);
        const QStringList servers = words->mid(3);
        if (servers == QStringList{QStringLiteral("Empty")})
            return Expectation{query,
                               {QStringLiteral("There aren't any DNS Servers set on ") + service +
                                QLatin1Char('.')}};
        return Expectation{query, servers, true};
    }
    const QString query = proxyQuery(setter, service);
    if (query.isEmpty())
        return std::nullopt;
    // "-setwebproxystate 'Wi-Fi' off"
    if (setter.endsWith(QLatin1String("state")) && words->size() == 4) {
        const QString state = words->at(3);
        if (state == QLatin1String("off"))
            return Expectation{query, {QStringLiteral("Enabled: No")}};
        if (state == QLatin1String("on"))
            return Expectation{query, {QStringLiteral("Enabled: Yes")}};
        return std::nullopt;
    }
    // "-setwebproxy 'Wi-Fi' 127.0.0.1 7890" points the kind there and switches it on.
    if (!setter.endsWith(QLatin1String("state")) && words->size() == 5)
        return Expectation{query,
                           {QStringLiteral("Enabled: Yes"),
                            QStringLiteral("Server: ") + words->at(3),
                            QStringLiteral("Port: ") + words->at(4)}};
    return std::nullopt;
}

QStringList trimmedLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines << trimmed;
    }
    return lines;
}

bool holds(const Expectation &expected, const QStringList &shown)
{
    if (expected.exact)
        return shown == expected.lines;
    for (const QString &line : expected.lines) {
        if (!shown.contains(line))
            return false;
    }
    return true;
}

} // namespace

namespace EffectCheck {

QStringList unmet(const QStringList &commands)
{
    // The last command that touches a setting decides what it must read.
    QList<Expectation> expectations;
    for (const QString &command : commands) {
        const std::optional<Expectation> expected = expectationOf(command);
        if (!expected)
            continue;
        for (qsizetype i = 0; i < expectations.size(); ++i) {
            if (expectations.at(i).query == expected->query)
                expectations.removeAt(i--);
        }
        expectations << *expected;
    }
    QStringList failures;
    for (const Expectation &expected : expectations) {
        const QStringList shown = trimmedLines(shell(expected.query, kQueryTimeout).output);
        if (!holds(expected, shown)) {
            failures << QStringLiteral("复查 ") + expected.query + QStringLiteral("：") +
                            (shown.isEmpty() ? QStringLiteral("（无输出）")
                                             : shown.join(QStringLiteral(" / ")));
        }
    }
    return failures;
}

} // namespace EffectCheck
