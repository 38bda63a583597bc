#include "diagnostics/netverify.h"

#include "diagnostics/endpoints.h"

namespace NetVerify {

const QString userAgent = QStringLiteral(
    "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/120.0 Safari/537.36");
const QString bingURL = QStringLiteral("https://") + Endpoints::kSearchHost +
                        QStringLiteral("/search?q=internet+connection+test");

NetVerifyResult bingSearch(int)
{
    return {}; // not built yet
}

SystemProxy systemProxy()
{
    return {}; // not built yet
}

ProbeResult probe(const QString &, const std::optional<QString> &, int)
{
    return {}; // not built yet
}

} // namespace NetVerify
