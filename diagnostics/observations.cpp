#include "diagnostics/observations.h"

PingReading readPing(const ShellResult &ping)
{
    return PingReading{ping.code, packetLoss(ping.output), avgRTT(ping.output)};
}
