#pragma once

#include "model/clock.h"

#include <QString>
#include <QStringList>

namespace brevik {

// The guardian's log (guard.log): one stamped line per entry, appended by the app and by
// every agent run, read back from its end.
class GuardLog {
public:
    GuardLog(QString path, Clock clock);

    const QString &path() const { return m_path; }

    // Appends one entry stamped with the clock's time; cuts the log back first once it has
    // grown too large. Entries of processes appending at the same moment all land, each
    // whole. Never reports failure: the log is advisory.
    void append(const QString &message) const;
    // The last `n` non-empty lines, oldest first; empty when the log cannot be read.
    QStringList tail(int n = 8) const;

private:
    QString m_path;
    Clock m_clock;
};

} // namespace brevik
