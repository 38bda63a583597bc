#include "sim/calllog.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace brevik {

QString CallLog::file(const QString &folder)
{
    return folder + QStringLiteral("/calls.jsonl");
}

bool CallLog::append(const QString &folder, const SimCall &call)
{
    QJsonObject record{
        {QStringLiteral("tool"), call.tool},
        {QStringLiteral("args"), QJsonArray::fromStringList(call.args)},
        {QStringLiteral("startMs"), call.startMs},
        {QStringLiteral("endMs"), call.endMs},
        {QStringLiteral("exit"), call.exitCode},
    };
    const QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
    const QByteArray path = QFile::encodeName(file(folder));
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    qsizetype written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd, line.constData() + written, line.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return written == line.size();
}

QList<SimCall> CallLog::read(const QString &path)
{
    QList<SimCall> calls;
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return calls;
    const QList<QByteArray> lines = log.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QJsonObject record = QJsonDocument::fromJson(line).object();
        if (record.isEmpty())
            continue;
        SimCall call;
        call.tool = record.value(QStringLiteral("tool")).toString();
        for (const auto &arg : record.value(QStringLiteral("args")).toArray())
            call.args << arg.toString();
        call.startMs = record.value(QStringLiteral("startMs")).toInteger();
        call.endMs = record.value(QStringLiteral("endMs")).toInteger();
        call.exitCode = record.value(QStringLiteral("exit")).toInt();
        calls << call;
    }
    return calls;
}

} // namespace brevik
