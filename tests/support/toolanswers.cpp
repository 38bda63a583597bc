#include "tests/support/toolanswers.h"

#include <QRegularExpression>

namespace brevik {

ToolAnswers &ToolAnswers::on(const QString &ask, int code, const QString &output)
{
    QMutexLocker lock(&m_mutex);
    m_answers.insert(ask, ShellResult{code, output});
    return *this;
}

ShellResult ToolAnswers::run(const QString &command, double)
{
    static const QRegularExpression tail(QStringLiteral(" (>|2>|\\|).*$"));
    const QString ask = QString(command).remove(tail);
    QMutexLocker lock(&m_mutex);
    m_asked << ask;
    return m_answers.value(ask, ShellResult{1, QString()});
}

QStringList ToolAnswers::asked() const
{
    QMutexLocker lock(&m_mutex);
    return m_asked;
}

} // namespace brevik
