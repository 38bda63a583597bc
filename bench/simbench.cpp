#include "bench/simbench.h"

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
