#include "tests/support/testdata.h"

#include <QFile>

#include <cstdlib>

namespace brevik {

namespace {

// BREVIK_TEST_DATA names the folder; otherwise it is the one beside this file's folder,
// which Qt's test library names at build time.
QString dataFolder()
{
    const QString given = qEnvironmentVariable("BREVIK_TEST_DATA");
    if (!given.isEmpty())
        return given;
    return QStringLiteral(QT_TESTCASE_SOURCEDIR "/../data");
}

} // namespace

QString testData(const QString &name)
{
    QFile file(dataFolder() + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly)) {
        qCritical("test data %s not found (set BREVIK_TEST_DATA)", qPrintable(name));
        std::abort();
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace brevik
