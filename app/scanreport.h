#pragma once

#include "diagnostics/netverify.h"
#include "model/finding.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

// Everything one terminal scan found: the findings in step order, the AI rows, the
// verdict of the search-page test that follows the scan, and how long the scan took.
struct ScanReport {
    QList<Finding> findings;
    QList<AIStatus> ai;
    NetVerifyResult internet;
    double seconds = 0;
};

// Runs one whole scan as the window does: snapshot, the ten steps in order, then the
// search-page verification. `progress` gets each step's name before it runs.
ScanReport runScan(const std::function<void(const QString &)> &progress = {});

QJsonObject toJson(const ScanReport &report);
QString toText(const ScanReport &report);
