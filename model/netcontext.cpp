#include "model/netcontext.h"

namespace brevik {

bool isTunnelInterface(const QString &name)
{
    return name.startsWith(QLatin1String("utun")) || name.startsWith(QLatin1String("ipsec")) ||
           name.startsWith(QLatin1String("ppp"));
}

} // namespace brevik
