#include "bench/simbench.h"

#include <QProcessEnvironment>

#include <cstdio>

std::optional<SimulatedMac> openInstantMac(const QTemporaryDir &root, const QString &scenario)
{
    qputenv("BREVIK_SIM_ROOT", root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0");
    QString error;
    auto mac = SimulatedMac::open(scenario, true, &error);
    if (!mac)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return mac;
}

std::optional<SimulatedMac> openInstantHealthyMac(const QTemporaryDir &root)
{
    return openInstantMac(root, QStringLiteral("healthy"));
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
