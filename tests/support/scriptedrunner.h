#pragma once

#include "exec/runner.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QStringList>

namespace brevik {

// A runner for unit tests: answers exact command texts, records every call in order and
// remembers commands nobody scripted (the test then fails in its cleanup).
class ScriptedRunner : public Runner {
public:
    struct Call {
        QString command;
        double timeout = 0;
        qint64 startMs = 0; // since the runner was made
        qint64 endMs = 0;
    };

    // Several answers for one command are given in turn; the last one repeats.
    ScriptedRunner &on(const QString &command, int code, const QString &output = {},
                       int delayMs = 0);
    // An answer that did not end by exiting: a time-out, a signal, a failed start.
    ScriptedRunner &on(const QString &command, const ShellResult &result, int delayMs = 0);

    ShellResult run(const QString &command, double timeoutSeconds) override;

    QList<Call> calls() const;
    QStringList commands() const;
    QStringList unscripted() const;
    int count(const QString &command) const;

private:
    struct Answer {
        ShellResult result;
        int delayMs;
    };
    mutable QMutex m_mutex;
    QHash<QString, QList<Answer>> m_answers;
    QHash<QString, int> m_served;
    QList<Call> m_calls;
    QStringList m_unscripted;
    qint64 m_origin = 0;
};

// Fails the current test when some command ran that the test did not script.
#define VERIFY_ALL_SCRIPTED(runner)                                                                \
    QVERIFY2((runner).unscripted().isEmpty(),                                                      \
             qPrintable(QStringLiteral("unscripted: ") + (runner).unscripted().join(" | ")))

} // namespace brevik
