#pragma once

#include "model/category.h"
#include "model/repairop.h"
#include "model/severity.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace brevik {

// One repair: typed operations run in order, with or without administrator rights. Each one
// renders to one shell command line, which is what the user sees and what runs.
struct FixAction {
    Q_DECLARE_TR_FUNCTIONS(FixAction)

public:
    QString id{}; // "fix-…"
    QString title{};
    QList<RepairOp> operations{};
    bool needsAdmin = false;
    bool fallbackAdmin = false; // run plainly first, again as administrator if that fails
    QString successHint{};
    QString verifyHint = tr("修复后请点击「重新扫描」确认结果。");

    QStringList commands() const { return renderCommands(operations); }
};

// One result of one check.
struct Finding {
    QString id{};
    QString title{};
    Severity severity = Severity::ok;
    QString detail{};
    CheckCategory category = CheckCategory::connectivity;
    std::optional<QString> fixHint{};
    std::optional<FixAction> fix{};
    QStringList manualSteps{};

    bool hasFix() const { return fix.has_value(); }
    bool isProblem() const { return severity == Severity::warn || severity == Severity::error; }

    // Two findings are the same observation when id, severity and detail agree; the
    // texts around them and the repair take no part.
    friend bool operator==(const Finding &a, const Finding &b)
    {
        return a.id == b.id && a.severity == b.severity && a.detail == b.detail;
    }
};

// One step of a scan: the progress text and the check it runs.
struct ScanStep {
    QString name{};
    std::function<QList<Finding>()> run{};
};

// Reachability of one AI endpoint, one row of the AI grid.
struct AIStatus {
    QString id{};
    QString name{};
    QString url{};
    bool directOK = false;
    bool proxyOK = false;
    int latencyMs = 0;
    QString note{};
};

} // namespace brevik
