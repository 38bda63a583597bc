#include "bench/simbench.h"

#include "bench/benchsupport.h"

#include <cstdio>

namespace brevik {

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

QStringList healthyMacEnvironment(const QString &root)
{
    return environmentWith(
        {QStringLiteral("BREVIK_SIMULATE=healthy"), QStringLiteral("BREVIK_SIM_ROOT=") + root});
}

} // namespace brevik
