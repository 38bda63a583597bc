#include "app/window/reportfile.h"

#include "app/markdownreport.h"
#include "appmodel/appmodel.h"

#include <QSaveFile>

namespace brevik {

ScanReport reportOf(const AppModel &model)
{
    return {.findings = model.findings(),
            .ai = model.aiItems(),
            .internet = model.netResult().value_or(NetVerifyResult{}),
            .seconds = model.scanSeconds(),
            .finishedAt = model.lastScan()};
}

bool writeReport(const QString &path, const ScanReport &report, const QString &simulatedMac,
                 QString *error)
{
    const bool json = path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(json ? jsonDocument(report) : toMarkdown(report, simulatedMac).toUtf8());
        if (file.commit())
            return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace brevik
