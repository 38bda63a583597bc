#include "tests/support/scriptedrunner.h"

#include <QDateTime>
#include <QMutexLocker>
#include <QThread>

namespace brevik {

namespace {
qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}
} // namespace

ScriptedRunner &ScriptedRunner::on(const QString &command, int code, const QString &output,
                                   int delayMs)
{
    return on(command, ShellResult{code, output}, delayMs);
}

ScriptedRunner &ScriptedRunner::on(const QString &command, const ShellResult &result, int delayMs)
{
    QMutexLocker lock(&m_mutex);
    if (m_origin == 0)
        m_origin = nowMs();
    m_answers[command].append({result, delayMs});
    return *this;
}

ShellResult ScriptedRunner::run(const QString &command, double timeoutSeconds)
{
    Answer answer{{-1, QStringLiteral("unscripted command"), ProcessEnd::failedToStart}, 0};
    qint64 start = 0;
    {
        QMutexLocker lock(&m_mutex);
        if (m_origin == 0)
            m_origin = nowMs();
        start = nowMs() - m_origin;
        const auto it = m_answers.constFind(command);
        if (it == m_answers.constEnd() || it->isEmpty()) {
            m_unscripted << command;
        } else {
            int &served = m_served[command];
            answer = it->at(std::min<qsizetype>(served, it->size() - 1));
            ++served;
        }
    }
    if (answer.delayMs > 0)
        QThread::msleep(answer.delayMs);
    QMutexLocker lock(&m_mutex);
    m_calls.append({command, timeoutSeconds, start, nowMs() - m_origin});
    return answer.result;
}

QList<ScriptedRunner::Call> ScriptedRunner::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

QStringList ScriptedRunner::commands() const
{
    QMutexLocker lock(&m_mutex);
    QStringList list;
    for (const Call &call : m_calls)
        list << call.command;
    return list;
}

QStringList ScriptedRunner::unscripted() const
{
    QMutexLocker lock(&m_mutex);
    return m_unscripted;
}

int ScriptedRunner::count(const QString &command) const
{
    QMutexLocker lock(&m_mutex);
    int n = 0;
    for (const Call &call : m_calls)
        n += call.command == command ? 1 : 0;
    return n;
}

} // namespace brevik
