#include "appmodel/appmodel.h"

#include "appmodel/background.h"
#include "appmodel/headline.h"
#include "guardian/proxyguardian.h"

#include <QThread>

#include <tuple>

namespace brevik {

namespace {

template <typename T> bool same(const T &a, const T &b)
{
    return a == b;
}

// A finding's own equality is its identity (id, severity, detail); the window also shows
// the title, the hint, the steps and the repair, so a change there is a change too.
auto fields(const FixAction &a)
{
    return std::tie(a.id, a.title, a.operations, a.needsAdmin, a.fallbackAdmin, a.successHint,
                    a.verifyHint);
}

bool same(const std::optional<FixAction> &a, const std::optional<FixAction> &b)
{
    return a.has_value() == b.has_value() && (!a || fields(*a) == fields(*b));
}

bool same(const Finding &a, const Finding &b)
{
    return std::tie(a.id, a.title, a.severity, a.detail, a.category, a.fixHint, a.manualSteps) ==
               std::tie(b.id, b.title, b.severity, b.detail, b.category, b.fixHint,
                        b.manualSteps) &&
           same(a.fix, b.fix);
}

bool same(const AIStatus &a, const AIStatus &b)
{
    return std::tie(a.id, a.name, a.url, a.directOK, a.proxyOK, a.latencyMs, a.note) ==
           std::tie(b.id, b.name, b.url, b.directOK, b.proxyOK, b.latencyMs, b.note);
}

bool same(const NetVerifyResult &a, const NetVerifyResult &b)
{
    return std::tie(a.ok, a.code, a.ms, a.via, a.tried, a.summary, a.unusableProxy) ==
           std::tie(b.ok, b.code, b.ms, b.via, b.tried, b.summary, b.unusableProxy);
}

bool same(const std::optional<NetVerifyResult> &a, const std::optional<NetVerifyResult> &b)
{
    return a.has_value() == b.has_value() && (!a || same(*a, *b));
}

template <typename T> bool same(const QList<T> &a, const QList<T> &b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(),
                      [](const T &x, const T &y) { return same(x, y); });
}

} // namespace

AppModel::AppModel(QObject *parent) : AppModel(ProxyGuardian::shared(), Pacing{}, parent) {}

AppModel::AppModel(ProxyGuardian &guardian, Pacing pacing, QObject *parent)
    : QObject(parent), m_guardian(guardian), m_pacing(pacing), m_journal(Journal::forCurrentUser())
{
    // The timer is a member, so it cannot fire for a model that is gone.
    m_guardTimer.setInterval(m_pacing.guardInterval);
    connect(&m_guardTimer, &QTimer::timeout, this, [this] {
        if (m_guardianOn && !m_guardBusy)
            startGuardianTick();
    });
}

AppModel::~AppModel() = default;

bool AppModel::waitForBackgroundWork(std::chrono::milliseconds limit)
{
    return Background::waitForIdle(limit);
}

template <typename T> bool AppModel::update(T &field, const T &value)
{
    Q_ASSERT_X(QThread::currentThread() == thread(), "AppModel",
               "state is written on the main thread only");
    if (same(field, value))
        return false;
    field = value;
    return true;
}

void AppModel::announce(void (AppModel::*changed)())
{
    emit(this->*changed)();
    emit stateChanged();
}

template <typename T> void AppModel::assign(T &field, const T &value, void (AppModel::*changed)())
{
    if (update(field, value))
        announce(changed);
}

void AppModel::setFindings(const QList<Finding> &findings)
{
    assign(m_findings, findings, &AppModel::findingsChanged);
}

void AppModel::setScanning(bool scanning)
{
    assign(m_scanning, scanning, &AppModel::scanningChanged);
}

void AppModel::setProgressText(const QString &text)
{
    assign(m_progressText, text, &AppModel::progressTextChanged);
}

void AppModel::setProgressValue(double value)
{
    assign(m_progressValue, value, &AppModel::progressValueChanged);
}

void AppModel::setFixLog(const QMap<QString, QString> &log)
{
    assign(m_fixLog, log, &AppModel::fixLogChanged);
}

void AppModel::setFixLogEntry(const QString &id, const QString &text)
{
    QMap<QString, QString> log = m_fixLog;
    log.insert(id, text);
    setFixLog(log);
}

void AppModel::setFixingAll(bool fixingAll)
{
    assign(m_fixingAll, fixingAll, &AppModel::fixingAllChanged);
}

void AppModel::setFixingId(const std::optional<QString> &id)
{
    assign(m_fixingId, id, &AppModel::fixingIdChanged);
}

void AppModel::setLastScan(const std::optional<QDateTime> &when)
{
    assign(m_lastScan, when, &AppModel::lastScanChanged);
}

void AppModel::setScanSeconds(double seconds)
{
    assign(m_scanSeconds, seconds, &AppModel::scanSecondsChanged);
}

void AppModel::setAIItems(const QList<AIStatus> &items, bool proxied)
{
    // One notification for both: they describe the same AI test.
    const bool rowsChanged = update(m_aiItems, items);
    const bool proxiedChanged = update(m_aiProxied, proxied);
    if (rowsChanged || proxiedChanged)
        announce(&AppModel::aiItemsChanged);
}

void AppModel::setGuardianOn(bool on)
{
    assign(m_guardianOn, on, &AppModel::guardianOnChanged);
}

void AppModel::setGuardRest(const QString &rest)
{
    assign(m_guardRest, rest, &AppModel::guardRestChanged);
}

void AppModel::setRepaired(const QMap<QString, QDateTime> &repaired)
{
    assign(m_repaired, repaired, &AppModel::repairedChanged);
}

void AppModel::markRepaired(const QString &findingId, const FixResult &result)
{
    if (!result.fixedAt)
        return;
    QMap<QString, QDateTime> repaired = m_repaired;
    repaired.insert(findingId, *result.fixedAt);
    setRepaired(repaired);
}

void AppModel::setGuardStatus(const QString &status)
{
    assign(m_guardStatus, status, &AppModel::guardStatusChanged);
}

void AppModel::setGuardFixedCount(int count)
{
    assign(m_guardFixedCount, count, &AppModel::guardFixedCountChanged);
}

void AppModel::setAgentInstalled(bool installed)
{
    assign(m_agentInstalled, installed, &AppModel::agentInstalledChanged);
}

void AppModel::setGuardLog(const QStringList &lines)
{
    assign(m_guardLog, lines, &AppModel::guardLogChanged);
}

void AppModel::setShowGuardLog(bool show)
{
    assign(m_showGuardLog, show, &AppModel::showGuardLogChanged);
}

void AppModel::setNetChecking(bool checking)
{
    assign(m_netChecking, checking, &AppModel::netCheckingChanged);
}

void AppModel::setNetResult(const std::optional<NetVerifyResult> &result)
{
    assign(m_netResult, result, &AppModel::netResultChanged);
}

void AppModel::setNetCheckAfterFix(bool afterFix, std::optional<RepairOutcome> repair)
{
    // One notification for both: they describe why the same test started.
    const bool flagChanged = update(m_netCheckAfterFix, afterFix);
    const bool repairChanged = update(m_netCheckRepair, repair);
    if (flagChanged || repairChanged)
        announce(&AppModel::netCheckAfterFixChanged);
}

void AppModel::setBatchReport(const std::optional<BatchReport> &report)
{
    assign(m_batchReport, report, &AppModel::batchReportChanged);
}

void AppModel::setHistory(const QList<HistoryItem> &history)
{
    assign(m_history, history, &AppModel::historyChanged);
}

void AppModel::setUndoBusy(bool busy)
{
    assign(m_undoBusy, busy, &AppModel::undoBusyChanged);
}

void AppModel::setUndoText(const QString &text)
{
    assign(m_undoText, text, &AppModel::undoTextChanged);
}

void AppModel::setUndoConflict(qint64 id, const QStringList &settings)
{
    // One notification for both: they describe the same refusal.
    const bool idChanged = update(m_undoConflictId, id);
    const bool settingsChanged = update(m_undoConflicts, settings);
    if (idChanged || settingsChanged)
        announce(&AppModel::undoConflictChanged);
}

QList<Finding> AppModel::problems() const
{
    return Headline::problems(m_findings);
}

QList<Finding> AppModel::passes() const
{
    return Headline::passes(m_findings);
}

QList<Finding> AppModel::standing() const
{
    QList<Finding> standing = m_findings;
    standing.removeIf([this](const Finding &f) { return m_repaired.contains(f.id); });
    return standing;
}

QList<Finding> AppModel::unresolvedProblems() const
{
    return Headline::problems(standing());
}

QList<Finding> AppModel::optionalItems() const
{
    return Headline::optionalItems(standing());
}

QList<Finding> AppModel::blockingIssues() const
{
    return Headline::blockingIssues(standing());
}

int AppModel::fixableCount() const
{
    return Headline::fixableCount(standing());
}

std::optional<WebVerdict> AppModel::netVerdict() const
{
    return m_netResult ? std::optional(m_netResult->verdict()) : std::nullopt;
}

bool AppModel::netUsable() const
{
    return netVerdict() == WebVerdict::usable;
}

Severity AppModel::effectiveStatus() const
{
    return Headline::effectiveStatus(standing(), netVerdict());
}

QString AppModel::statusLabel() const
{
    return Headline::statusLabel(standing(), netVerdict());
}

QString AppModel::statusTitle() const
{
    return Headline::statusTitle(standing(), netVerdict());
}

} // namespace brevik
