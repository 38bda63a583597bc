#pragma once

#include "diagnostics/netverify.h"
#include "model/finding.h"

#include <QList>
#include <QString>

#include <optional>

namespace brevik {

// What the window's headline and lists make of a scan's findings and the last internet
// test. Every list keeps the order of `findings`: the order of the scan steps and, within a
// step, the order in which the check produced its findings.
namespace Headline {

QList<Finding> problems(const QList<Finding> &findings);       // warn and error
QList<Finding> passes(const QList<Finding> &findings);         // ok and info
QList<Finding> optionalItems(const QList<Finding> &findings);  // info and warn
QList<Finding> blockingIssues(const QList<Finding> &findings); // error
int fixableCount(const QList<Finding> &findings);              // problems with a repair

// `net`: the verdict of the last internet test, absent before the first. A usable net caps
// the headline at `warn` unless some finding is an error; an info finding never raises it.
// A test that failed, or got through only directly past a switched-on proxy, keeps it at
// `warn` or above, so that the headline never calls the net sound while the banner says
// otherwise.
Severity effectiveStatus(const QList<Finding> &findings, std::optional<WebVerdict> net);
QString statusLabel(const QList<Finding> &findings, std::optional<WebVerdict> net);
QString statusTitle(const QList<Finding> &findings, std::optional<WebVerdict> net);

} // namespace Headline

} // namespace brevik
