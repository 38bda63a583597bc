#include "guardian/atomicwrite.h"

#include <QSaveFile>

bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    // Unbuffered: a failing write shows in write()'s result, not later in a flush that
    // commit() does not report.
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (ok && file.write(bytes) != bytes.size()) {
        ok = false;
        file.cancelWriting();
    }
    ok = ok && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}
