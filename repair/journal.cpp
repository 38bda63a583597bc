#include "repair/journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace brevik {

namespace {

const QList<QPair<SettingKind, QString>> kKindNames{
    {SettingKind::webProxy, QStringLiteral("webproxy")},
    {SettingKind::secureWebProxy, QStringLiteral("securewebproxy")},
    {SettingKind::socksProxy, QStringLiteral("socksproxy")},
    {SettingKind::autoProxy, QStringLiteral("autoproxy")},
    {SettingKind::bypassDomains, QStringLiteral("bypass")},
    {SettingKind::dnsServers, QStringLiteral("dns")},
    {SettingKind::ipv6, QStringLiteral("ipv6")},
    {SettingKind::serviceEnabled, QStringLiteral("service-enabled")},
    {SettingKind::serviceOrder, QStringLiteral("service-order")},
    {SettingKind::wifiPower, QStringLiteral("wifi-power")},
    {SettingKind::mtu, QStringLiteral("mtu")},
    {SettingKind::firewall, QStringLiteral("firewall")},
    {SettingKind::networkTime, QStringLiteral("network-time")},
};

const QList<QPair<RepairOrigin, QString>> kOriginNames{
    {RepairOrigin::window, QStringLiteral("window")},
    {RepairOrigin::commandLine, QStringLiteral("command-line")},
    {RepairOrigin::guardian, QStringLiteral("guardian")},
};

template <typename Enum>
std::optional<Enum> fromName(const QList<QPair<Enum, QString>> &names, const QString &name)
{
    for (const auto &[value, text] : names) {
        if (text == name)
            return value;
    }
    return std::nullopt;
}

template <typename Enum> QString nameOf(const QList<QPair<Enum, QString>> &names, Enum value)
{
    for (const auto &[entry, text] : names) {
        if (entry == value)
            return text;
    }
    return {};
}

QStringList strings(const QJsonValue &value)
{
    QStringList list;
    for (const QJsonValue &item : value.toArray())
        list << item.toString();
    return list;
}

// Holds an exclusive lock on a file beside the journal for as long as it lives. The journal
// itself is replaced when it is cut, so the lock cannot live on it.
class JournalLock {
public:
    explicit JournalLock(const QString &journal)
        : m_fd(::open(QFile::encodeName(journal + QStringLiteral(".lock")).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
            }
        }
    }
    ~JournalLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    JournalLock(const JournalLock &) = delete;
    JournalLock &operator=(const JournalLock &) = delete;

    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

QList<QByteArray> readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().split('\n');
}

qint64 lastId(const QList<QByteArray> &lines)
{
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QJsonObject object = QJsonDocument::fromJson(*line).object();
        if (object.contains(QStringLiteral("id")))
            return object.value(QStringLiteral("id")).toInteger();
    }
    return 0;
}

// Keeps the newest whole lines that fit into half the limit, so that a cut is rare.
void cut(const QString &path, const QList<QByteArray> &lines)
{
    QByteArray kept;
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (line->isEmpty())
            continue;
        if (kept.size() + line->size() + 1 > Journal::kSizeLimit / 2)
            break;
        kept.prepend(*line + '\n');
    }
    QSaveFile file(path);
    // Unbuffered: a failing write shows in write()'s result, not in a flush commit() hides.
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(kept) == kept.size())
        file.commit();
    else
        file.cancelWriting();
}

bool appendLine(const QString &path, const QByteArray &line)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const off_t start = ::lseek(fd, 0, SEEK_END);
    ssize_t written = -1;
    do {
        written = ::write(fd, line.constData(), size_t(line.size()));
    } while (written < 0 && errno == EINTR);
    // Half an entry would glue itself to the next one; under the lock the end is ours.
    if (written != line.size() && start >= 0)
        (void)::ftruncate(fd, start);
    ::close(fd);
    return written == line.size();
}

} // namespace

QString originLabel(RepairOrigin origin)
{
    switch (origin) {
    case RepairOrigin::window:
        return QStringLiteral("窗口");
    case RepairOrigin::commandLine:
        return QStringLiteral("命令行");
    case RepairOrigin::guardian:
        return QStringLiteral("守护");
    }
    return {};
}

QJsonObject JournalEntry::toJson() const
{
    QJsonArray settingList;
    for (const RecordedSetting &setting : settings) {
        settingList << QJsonObject{{"setting", nameOf(kKindNames, setting.key.kind)},
                                   {"target", setting.key.target},
                                   {"before", setting.before.value_or(QJsonValue())},
                                   {"after", setting.after}};
    }
    QJsonArray fileList;
    for (const RecordedFile &file : files) {
        fileList << QJsonObject{{"pathWord", file.pathWord},
                                {"path", file.path},
                                {"backup", file.backup},
                                {"checksum", file.checksum}};
    }
    QJsonObject object{{"id", id},
                       {"time", time.toString(Qt::ISODate)},
                       {"finding", findingId},
                       {"repair", repairId},
                       {"title", title},
                       {"by", nameOf(kOriginNames, origin)},
                       {"commands", QJsonArray::fromStringList(commands)},
                       {"admin", needsAdmin},
                       {"settings", settingList},
                       {"files", fileList},
                       {"oneTime", QJsonArray::fromStringList(oneTime)},
                       {"unrecorded", QJsonArray::fromStringList(unrecorded)},
                       {"ok", ok},
                       {"log", log}};
    if (undoes)
        object.insert(QStringLiteral("undoes"), *undoes);
    return object;
}

std::optional<JournalEntry> JournalEntry::fromJson(const QJsonObject &object)
{
    const std::optional<RepairOrigin> origin =
        fromName(kOriginNames, object.value(QStringLiteral("by")).toString());
    if (!origin || object.value(QStringLiteral("id")).toInteger() <= 0)
        return std::nullopt;
    JournalEntry entry;
    entry.id = object.value(QStringLiteral("id")).toInteger();
    entry.time =
        QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODate);
    entry.findingId = object.value(QStringLiteral("finding")).toString();
    entry.repairId = object.value(QStringLiteral("repair")).toString();
    entry.title = object.value(QStringLiteral("title")).toString();
    entry.origin = *origin;
    entry.commands = strings(object.value(QStringLiteral("commands")));
    entry.needsAdmin = object.value(QStringLiteral("admin")).toBool();
    for (const QJsonValue &value : object.value(QStringLiteral("settings")).toArray()) {
        const QJsonObject setting = value.toObject();
        const std::optional<SettingKind> kind =
            fromName(kKindNames, setting.value(QStringLiteral("setting")).toString());
        // A kind this program does not know (written by a later version) cannot be restored;
        // the entry stays, saying so.
        if (!kind) {
            entry.unrecorded << setting.value(QStringLiteral("setting")).toString();
            continue;
        }
        const QJsonValue before = setting.value(QStringLiteral("before"));
        entry.settings << RecordedSetting{
            {*kind, setting.value(QStringLiteral("target")).toString()},
            before.isNull() || before.isUndefined() ? std::nullopt : std::optional(before),
            setting.value(QStringLiteral("after"))};
    }
    for (const QJsonValue &value : object.value(QStringLiteral("files")).toArray()) {
        const QJsonObject file = value.toObject();
        entry.files << RecordedFile{file.value(QStringLiteral("pathWord")).toString(),
                                    file.value(QStringLiteral("path")).toString(),
                                    file.value(QStringLiteral("backup")).toString(),
                                    file.value(QStringLiteral("checksum")).toString()};
    }
    entry.oneTime = strings(object.value(QStringLiteral("oneTime")));
    entry.unrecorded << strings(object.value(QStringLiteral("unrecorded")));
    entry.ok = object.value(QStringLiteral("ok")).toBool();
    entry.log = object.value(QStringLiteral("log")).toString();
    if (object.contains(QStringLiteral("undoes")))
        entry.undoes = object.value(QStringLiteral("undoes")).toInteger();
    return entry;
}

Journal::Journal(QString path) : m_path(std::move(path)) {}

QString Journal::pathIn(const QString &home)
{
    return home + QStringLiteral("/Library/Application Support/Brevik/journal.jsonl");
}

Journal Journal::forCurrentUser()
{
    return Journal(pathIn(QDir::homePath()));
}

qint64 Journal::append(JournalEntry entry) const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return 0;
    const JournalLock lock(m_path);
    if (!lock.held())
        return 0;
    const QList<QByteArray> lines = readLines(m_path);
    entry.id = lastId(lines) + 1;
    if (QFileInfo(m_path).size() > kSizeLimit)
        cut(m_path, lines);
    const QByteArray line = QJsonDocument(entry.toJson()).toJson(QJsonDocument::Compact) + '\n';
    return appendLine(m_path, line) ? entry.id : 0;
}

QList<JournalEntry> Journal::entries() const
{
    QList<JournalEntry> list;
    for (const QByteArray &line : readLines(m_path)) {
        if (line.trimmed().isEmpty())
            continue;
        if (const std::optional<JournalEntry> entry =
                JournalEntry::fromJson(QJsonDocument::fromJson(line).object()))
            list << *entry;
    }
    return list;
}

} // namespace brevik
