#pragma once

#include "exec/runner.h"

#include <QMap>
#include <QMutex>
#include <QStringList>

namespace brevik {

// A Mac for unit tests that answers each command by what it asks of the tool: the words
// before the first redirection or pipe ("route -n get default", "arp -n 192.168.1.1"). The
// filters after them are taken as done: an answer is what the whole pipeline prints. An ask
// nobody answered fails, as a missing tool would. Every ask is remembered, in order.
class ToolAnswers : public Runner {
public:
    ToolAnswers &on(const QString &ask, int code, const QString &output = {});
    ShellResult run(const QString &command, double timeoutSeconds) override;
    QStringList asked() const;

private:
    mutable QMutex m_mutex;
    QMap<QString, ShellResult> m_answers;
    QStringList m_asked;
};

} // namespace brevik
