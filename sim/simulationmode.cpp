#include "sim/simulationmode.h"

#include "sim/simulatedmac.h"

namespace brevik {

namespace {

#ifdef Q_OS_MACOS
constexpr bool kRealMac = true;
#else
constexpr bool kRealMac = false;
#endif

const QString kDefaultScenario = QStringLiteral("residual-proxy");

} // namespace

bool enterSimulationFromEnvironment(QString *note, QString *error, QString *scenario)
{
    QString asked = qEnvironmentVariable("BREVIK_SIMULATE");
    if (asked.isEmpty()) {
        if (kRealMac)
            return true;
        asked = kDefaultScenario;
        if (note)
            *note =
                QStringLiteral("Brevik: 未在 macOS 上运行，使用模拟的 Mac（场景 %1）").arg(asked);
    }
    const bool fresh = qEnvironmentVariable("BREVIK_SIM_FRESH") == QLatin1String("1");
    const std::optional<SimulatedMac> mac = SimulatedMac::open(asked, fresh, error);
    if (!mac)
        return false;
    mac->activate();
    if (scenario)
        *scenario = mac->name();
    return true;
}

} // namespace brevik
