#pragma once

#include "model/finding.h"
#include "repair/fixengine.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace brevik {

// How a batch of repairs ended as a whole.
enum class RepairOutcome {
    succeeded, // every repair succeeded
    partly,    // some succeeded, some did not
    failed,    // none succeeded, and at least one failed
    cancelled, // none succeeded, none failed: the password prompt was cancelled
};

// What a batch repair did, kept for the user after the rescan has replaced the findings
// (and their logs) it was run for.
struct BatchReport {
    struct Line {
        QString title; // the finding's
        QString log;   // its repair's log; first character is the status sign
        FixEnd end = FixEnd::failed;
        bool changedSomething = false; // what ran of it left a setting changed
        friend bool operator==(const Line &, const Line &) = default;
    };
    RepairOutcome outcome = RepairOutcome::failed;
    QList<Line> lines; // one per target, in the order repaired

    // "批量修复已取消", …: what the header and the summary call it.
    QString headline() const;
    // One sentence on what that means for the Mac's settings.
    QString explanation() const;

    friend bool operator==(const BatchReport &, const BatchReport &) = default;
};

// The report of a batch run on `targets`, from the outcomes it returned by finding id.
BatchReport batchReportOf(const QList<Finding> &targets, const QMap<QString, FixResult> &results);

} // namespace brevik
