#pragma once

#include "diagnostics/netverify.h"
#include "model/clock.h"
#include "model/finding.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace brevik {

// Everything one scan found: the findings in step order, the AI rows, the verdict of the
// scan's search-page test, how long the scan took and when it ended.
struct ScanReport {
    QList<Finding> findings;
    QList<AIStatus> ai;
    NetVerifyResult internet;
    double seconds = 0;
    std::optional<QDateTime> finishedAt;
};

// Runs one whole scan as the window does: snapshot, then the ten steps side by side, their
// findings taken in step order. The verdict is the last step's search-page test, not a second
// one. `progress` gets each step's name before its findings are waited for; `clock` says when
// the scan ended.
ScanReport runScan(const std::function<void(const QString &)> &progress = {},
                   const Clock &clock = systemClock());

QJsonObject toJson(const ScanReport &report);
// The JSON document `--scan --json` prints and the window exports, indented.
QByteArray jsonDocument(const ScanReport &report);
// What `--scan` prints and the window copies: one block per finding, then the web test.
QString toText(const ScanReport &report);

} // namespace brevik
