#include "bench/simbench.h"

#include <QProcessEnvironment>

#include <cstdio>

std::optional<SimulatedMac> openInstantHealthyMac(const QTemporaryDir &root)
{
    qputenv("BREVIK_SIM_ROOT", root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0");
    QString error;
    auto mac = SimulatedMac::open(QStringLiteral("healthy"), true, &error);
    if (!mac)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return mac;
}

QStringList healthyMacEnvironment(const QTemporaryDir &root)
{
    QStringList env;
    const auto system = QProcessEnvironment::systemEnvironment();
    for (const QString &key : system.keys())
        env << key + QLatin1Char('=') + system.value(key);
    env << QStringLiteral("BREVIK_SIMULATE=healthy")
        << QStringLiteral("BREVIK_SIM_ROOT=") + root.path();
    return env;
}
