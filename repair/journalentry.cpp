#include "repair/journalentry.h"

#include "model/editablefiles.h"
#include "repair/opjson.h"
#include "repair/recordvalues.h"

#include <QCoreApplication>
#include <QJsonArray>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(JournalEntry)
};

// Ids beyond this cannot be told apart once read as JSON numbers.
constexpr qint64 kLargestId = (qint64(1) << 53) - 1;
constexpr qsizetype kTextLimit = 64 * 1024;

const QList<QPair<SettingKind, QString>> kKindNames{
    {SettingKind::webProxy, QStringLiteral("webproxy")},
    {SettingKind::secureWebProxy, QStringLiteral("securewebproxy")},
    {SettingKind::socksProxy, QStringLiteral("socksproxy")},
    {SettingKind::autoProxy, QStringLiteral("autoproxy")},
    {SettingKind::bypassDomains, QStringLiteral("bypass")},
    {SettingKind::dnsServers, QStringLiteral("dns")},
    {SettingKind::ipv6, QStringLiteral("ipv6")},
    {SettingKind::wifiPower, QStringLiteral("wifi-power")},
    {SettingKind::mtu, QStringLiteral("mtu")},
    {SettingKind::networkTime, QStringLiteral("network-time")},
};

const QList<QPair<RepairOrigin, QString>> kOriginNames{
    {RepairOrigin::window, QStringLiteral("window")},
    {RepairOrigin::commandLine, QStringLiteral("command-line")},
    {RepairOrigin::guardian, QStringLiteral("guardian")},
};

const QList<QPair<EntryEnd, QString>> kEndNames{
    {EntryEnd::succeeded, QStringLiteral("succeeded")},
    {EntryEnd::notFixed, QStringLiteral("not-fixed")},
    {EntryEnd::failed, QStringLiteral("failed")},
    {EntryEnd::cancelled, QStringLiteral("cancelled")},
};

template <typename Enum>
std::optional<Enum> fromName(const QList<QPair<Enum, QString>> &names, const QJsonValue &name)
{
    for (const auto &[value, text] : names) {
        if (text == name.toString())
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

// A text field shown to the user; it must be text, and not absurdly long. Titles and names
// carry no control character (a terminal would obey one that --history prints); a log holds
// whatever the tools printed and is only ever shown in the window.
std::optional<QString> text(const QJsonObject &record, const QString &key, bool anyText = false)
{
    const QJsonValue value = record.value(key);
    if (value.isUndefined())
        return QString();
    if (!value.isString() || value.toString().size() > kTextLimit ||
        (!anyText && !RecordValues::isPlainText(value.toString(), kTextLimit)))
        return std::nullopt;
    return value.toString();
}

std::optional<QStringList> texts(const QJsonValue &value)
{
    if (value.isUndefined())
        return QStringList();
    if (!value.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue &item : value.toArray()) {
        if (!item.isString() || !RecordValues::isPlainText(item.toString(), kTextLimit))
            return std::nullopt;
        list << item.toString();
    }
    return list;
}

// Reads `setting` into `entry`; the reason when a value does not have its type.
QString readSetting(JournalEntry &entry, const QJsonObject &setting)
{
    const std::optional<SettingKind> kind =
        fromName(kKindNames, setting.value(QStringLiteral("setting")));
    // A kind this program does not know (written by another version) cannot be restored; the
    // entry stays, saying so.
    if (!kind) {
        const QString name = setting.value(QStringLiteral("setting")).toString();
        if (!RecordValues::isPlainText(name, 64))
            return Texts::tr("设置种类不可读");
        entry.unrecorded << name;
        return {};
    }
    const SettingKey key{*kind, setting.value(QStringLiteral("target")).toString()};
    if (!setting.value(QStringLiteral("target")).isString() && *kind != SettingKind::networkTime)
        return Texts::tr("设置的对象不是文字");
    if (!RecordValues::isTarget(key))
        return Texts::tr("设置的对象「%1」不合规").arg(key.target.left(40));
    const QJsonValue before = setting.value(QStringLiteral("before"));
    std::optional<QJsonValue> beforeValue;
    if (!before.isNull() && !before.isUndefined()) {
        beforeValue = RecordValues::settingValue(*kind, before, false);
        if (!beforeValue)
            return Texts::tr("修复前的值不合规");
    }
    const std::optional<QJsonValue> after =
        RecordValues::settingValue(*kind, setting.value(QStringLiteral("after")), true);
    if (!after)
        return Texts::tr("修复写入的值不合规");
    entry.settings << RecordedSetting{key, beforeValue, *after};
    return {};
}

// Reads `file` into `entry` (first records and records of earlier versions alike).
QString readFile(JournalEntry &entry, const QJsonObject &file, const QString &home)
{
    RecordedFile recorded{file.value(QStringLiteral("path")).toString(),
                          file.value(QStringLiteral("backup")).toString(),
                          file.value(QStringLiteral("backupChecksum")).toString(),
                          file.value(QStringLiteral("checksumAfter")).toString()};
    // Earlier versions kept the checksum after the repair as "checksum".
    if (recorded.checksumAfter.isEmpty())
        recorded.checksumAfter = file.value(QStringLiteral("checksum")).toString();
    if (!EditableFiles::isEditable(recorded.path, home))
        return Texts::tr("文件不在 Brevik 修改的范围内");
    if (!recorded.backup.isEmpty() && !EditableFiles::isBackupOf(recorded.backup, recorded.path))
        return Texts::tr("备份文件的路径不合规");
    for (const QString &checksum : {recorded.backupChecksum, recorded.checksumAfter}) {
        if (!checksum.isEmpty() && !RecordValues::isChecksum(checksum))
            return Texts::tr("校验值不合规");
    }
    entry.files << recorded;
    return {};
}

QString readStart(JournalEntry &entry, const QJsonObject &record, const QString &home)
{
    const std::optional<QString> findingId = text(record, QStringLiteral("finding"));
    const std::optional<QString> repairId = text(record, QStringLiteral("repair"));
    const std::optional<QString> title = text(record, QStringLiteral("title"));
    if (!findingId || !repairId || !title)
        return Texts::tr("标题或编号不是文字");
    entry.findingId = *findingId;
    entry.repairId = *repairId;
    entry.title = *title;
    const QJsonValue pid = record.value(QStringLiteral("pid"));
    entry.pid = pid.isDouble() ? qint64(pid.toDouble()) : 0;
    entry.needsAdmin = record.value(QStringLiteral("admin")).toBool();
    for (const QJsonValue &value : record.value(QStringLiteral("operations")).toArray()) {
        const std::optional<RepairOp> op = OpJson::fromJson(value.toObject(), home);
        if (!op)
            return Texts::tr("记录的操作不合规");
        entry.operations << *op;
    }
    for (const QJsonValue &value : record.value(QStringLiteral("settings")).toArray()) {
        const QString problem = readSetting(entry, value.toObject());
        if (!problem.isEmpty())
            return problem;
    }
    for (const QJsonValue &value : record.value(QStringLiteral("files")).toArray()) {
        const QString problem = readFile(entry, value.toObject(), home);
        if (!problem.isEmpty())
            return problem;
    }
    const std::optional<QStringList> oneTime = texts(record.value(QStringLiteral("oneTime")));
    const std::optional<QStringList> unrecorded =
        texts(record.value(QStringLiteral("unrecorded")));
    if (!oneTime || !unrecorded)
        return Texts::tr("一次性操作的说明不是文字");
    entry.oneTime = *oneTime;
    entry.unrecorded << *unrecorded;
    if (record.contains(QStringLiteral("undoes"))) {
        const std::optional<qint64> undoes =
            JournalRecords::idOf(QJsonObject{{"id", record.value(QStringLiteral("undoes"))}});
        if (!undoes || *undoes >= entry.id)
            return Texts::tr("撤销对象的编号不合规");
        entry.undoes = undoes;
    }
    return {};
}

// The outcome's fields, from an outcome record or from an entry of an earlier version, which
// kept "ok" and "log" in its only record.
QString readOutcome(JournalEntry &entry, const QJsonObject &outcome, bool legacy)
{
    const std::optional<QString> log = text(outcome, QStringLiteral("log"), true);
    const std::optional<QString> verdict = text(outcome, QStringLiteral("verdict"), true);
    if (!log || !verdict)
        return Texts::tr("结果不是文字");
    entry.log = *log;
    entry.verdict = *verdict;
    if (legacy) {
        const bool cancelled = entry.log.startsWith(QStringLiteral("⚠️"));
        entry.end = outcome.value(QStringLiteral("ok")).toBool()
                        ? EntryEnd::succeeded
                        : (cancelled ? EntryEnd::cancelled : EntryEnd::failed);
        entry.changedNothing = cancelled;
        return {};
    }
    const std::optional<EntryEnd> end = fromName(kEndNames, outcome.value(QStringLiteral("end")));
    if (!end)
        return Texts::tr("结果的种类不可读");
    entry.end = *end;
    entry.changedNothing = outcome.value(QStringLiteral("changedNothing")).toBool();
    return {};
}

} // namespace

QString originLabel(RepairOrigin origin)
{
    switch (origin) {
    case RepairOrigin::window:
        return Texts::tr("窗口");
    case RepairOrigin::commandLine:
        return Texts::tr("命令行");
    case RepairOrigin::guardian:
        return Texts::tr("守护");
    }
    return {};
}

QJsonObject JournalEntry::startRecord() const
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
        fileList << QJsonObject{{"path", file.path},
                                {"backup", file.backup},
                                {"backupChecksum", file.backupChecksum}};
    }
    QJsonArray operationList;
    for (const RepairOp &op : operations)
        operationList << OpJson::toJson(op);
    QJsonObject record{{"id", id},
                       {"time", time.toString(Qt::ISODate)},
                       {"finding", findingId},
                       {"repair", repairId},
                       {"title", title},
                       {"by", nameOf(kOriginNames, origin)},
                       {"pid", pid},
                       {"admin", needsAdmin},
                       {"operations", operationList},
                       {"settings", settingList},
                       {"files", fileList},
                       {"oneTime", QJsonArray::fromStringList(oneTime)}};
    if (undoes)
        record.insert(QStringLiteral("undoes"), *undoes);
    return record;
}

QJsonObject JournalEntry::outcomeRecord() const
{
    QJsonArray fileList;
    for (const RecordedFile &file : files) {
        fileList << QJsonObject{{"path", file.path},
                                {"backup", file.backup},
                                {"checksumAfter", file.checksumAfter}};
    }
    QJsonObject outcome{{"end", nameOf(kEndNames, end)},
                        {"changedNothing", changedNothing},
                        {"log", log},
                        {"files", fileList}};
    if (!verdict.isEmpty())
        outcome.insert(QStringLiteral("verdict"), verdict);
    return QJsonObject{{"id", id}, {"outcome", outcome}};
}

namespace JournalRecords {

std::optional<qint64> idOf(const QJsonObject &record)
{
    const QJsonValue id = record.value(QStringLiteral("id"));
    if (!id.isDouble())
        return std::nullopt;
    const double number = id.toDouble();
    if (!(number >= 1 && number <= double(kLargestId)) || number != double(qint64(number)))
        return std::nullopt;
    return qint64(number);
}

std::optional<JournalEntry> entryFrom(const QJsonObject &record, const QString &home)
{
    const std::optional<qint64> id = idOf(record);
    const std::optional<RepairOrigin> origin =
        fromName(kOriginNames, record.value(QStringLiteral("by")));
    if (!id || !origin)
        return std::nullopt;
    JournalEntry entry;
    entry.id = *id;
    entry.origin = *origin;
    entry.time =
        QDateTime::fromString(record.value(QStringLiteral("time")).toString(), Qt::ISODate);
    entry.unreadable = readStart(entry, record, home);
    // An entry of an earlier version is one record with its outcome in it.
    const bool legacy = record.contains(QStringLiteral("ok")) && !record.contains(QStringLiteral("pid"));
    if (entry.unreadable.isEmpty() && legacy)
        entry.unreadable = readOutcome(entry, record, true);
    return entry;
}

bool isOutcome(const QJsonObject &record)
{
    return record.value(QStringLiteral("outcome")).isObject();
}

void addOutcome(JournalEntry &entry, const QJsonObject &record)
{
    if (entry.finished())
        return; // the first outcome stands
    const QJsonObject outcome = record.value(QStringLiteral("outcome")).toObject();
    QString problem = readOutcome(entry, outcome, false);
    for (const QJsonValue &value : outcome.value(QStringLiteral("files")).toArray()) {
        const QJsonObject file = value.toObject();
        const QString path = file.value(QStringLiteral("path")).toString();
        const QString backup = file.value(QStringLiteral("backup")).toString();
        const QString checksum = file.value(QStringLiteral("checksumAfter")).toString();
        for (RecordedFile &recorded : entry.files) {
            if (recorded.path != path || !problem.isEmpty())
                continue;
            if ((!backup.isEmpty() && !EditableFiles::isBackupOf(backup, path)) ||
                (!checksum.isEmpty() && !RecordValues::isChecksum(checksum)))
                problem = Texts::tr("结果中的备份或校验值不合规");
            else {
                if (!backup.isEmpty())
                    recorded.backup = backup;
                recorded.checksumAfter = checksum;
            }
        }
    }
    if (!problem.isEmpty() && entry.unreadable.isEmpty())
        entry.unreadable = problem;
}

QJsonObject floorRecord(qint64 lastId)
{
    return QJsonObject{{"lastId", lastId}};
}

std::optional<qint64> floorOf(const QJsonObject &record)
{
    if (record.size() != 1)
        return std::nullopt;
    return idOf(QJsonObject{{"id", record.value(QStringLiteral("lastId"))}});
}

} // namespace JournalRecords

} // namespace brevik
