#include "model/proxyclients.h"

namespace brevik {

namespace ProxyClients {

QString familyFilter()
{
    return QStringLiteral("grep -i -E "
                          "'clash|mihomo|surge|stash|verge|quantumult|sing-box|v2ray|xray|trojan' "
                          "| grep -v grep");
}

bool isHelper(const QString &executablePath)
{
    const QString name = executablePath.trimmed()
                             .mid(executablePath.trimmed().lastIndexOf(QLatin1Char('/')) + 1)
                             .toLower();
    return name.contains(QLatin1String("helper")) || name.contains(QLatin1String("service"));
}

} // namespace ProxyClients

} // namespace brevik
