#include "guardian/atomicwrite.h"

#include <QSaveFile>

namespace brevik {

bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    // Unbuffered: a failing write shows in write()'s result, not later in a flush that
    // commit() does not report.
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                         file.write(bytes) == bytes.size();
    // The reason is read before cancelWriting() replaces it with its own.
    const QString reason = file.errorString();
    if (!written)
        file.cancelWriting();
    const bool ok = written && file.commit();
    if (!ok && error)
        *error = written ? file.errorString() : reason;
    return ok;
}

} // namespace brevik
