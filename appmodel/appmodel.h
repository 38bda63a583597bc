#pragma once

#include "appmodel/batchreport.h"
#include "diagnostics/netverify.h"
#include "model/clock.h"
#include "model/finding.h"
#include "repair/journal.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <optional>

namespace brevik {

class ProxyGuardian;

// One entry of the repair journal, as the window lists it.
struct HistoryItem {
    qint64 id = 0;
    QDateTime time;
    QString origin;      // who started it: "窗口", "命令行", "守护"
    QString sign;        // how it went: ✅ ❌ ⚠️
    QString title;       // the repair's title; an undo's names the entry it took back
    bool undone = false; // a later undo took it back
    bool undoable = true; // it may have changed something that can be taken back
    QString note;        // how it ended when the sign alone does not say it: "（中断…）"
    friend bool operator==(const HistoryItem &, const HistoryItem &) = default;
};

// The one observable object behind the window: the findings of the last scan, the progress
// of a running scan, the repair logs, the proxy guardian and the internet test, and the
// operations the window's buttons start.
//
// Threads: create, read and call it on the main thread only. Every operation returns at
// once and does its slow work on a background task; every property is written on the main
// thread, and each NOTIFY signal fires there, only when the value really changed.
// Exclusion comes from the flags `scanning`, `fixingId`, `fixingAll`, `netChecking`,
// `undoBusy` and the private guardian busy flag: a request that finds its flag set is
// dropped, not queued. Repairs and undos exclude each other: both change settings.
//
// Lifetime: destroying the model does not wait for its tasks. They hold it weakly and drop
// what they would have published; they finish on their own (a repair may be behind a
// password prompt). Before the process ends, waitForBackgroundWork() gives them a bounded
// moment. Destruction touches nothing on the machine.
class AppModel final : public QObject {
    Q_OBJECT

    // Findings of the current or last scan, in step order; grows step by step during a scan.
    Q_PROPERTY(QList<Finding> findings READ findings NOTIFY findingsChanged)
    Q_PROPERTY(bool scanning READ scanning NOTIFY scanningChanged)
    // What the scan or the batch repair is doing now, and the scan's progress from 0 to 1.
    Q_PROPERTY(QString progressText READ progressText NOTIFY progressTextChanged)
    Q_PROPERTY(double progressValue READ progressValue NOTIFY progressValueChanged)
    // Finding id → the latest repair log; cleared when a scan starts.
    Q_PROPERTY(QMap<QString, QString> fixLog READ fixLog NOTIFY fixLogChanged)
    // Findings a repair fixed, as the check run again after it found: id → when. Until the
    // next scan their cards show them repaired and offer no repair.
    Q_PROPERTY(QMap<QString, QDateTime> repaired READ repaired NOTIFY repairedChanged)
    Q_PROPERTY(bool fixingAll READ fixingAll NOTIFY fixingAllChanged)
    // The id of the finding whose single repair runs; absent when none runs.
    Q_PROPERTY(std::optional<QString> fixingId READ fixingId NOTIFY fixingIdChanged)
    // When the last scan finished (absent before the first) and how long it took.
    Q_PROPERTY(std::optional<QDateTime> lastScan READ lastScan NOTIFY lastScanChanged)
    Q_PROPERTY(double scanSeconds READ scanSeconds NOTIFY scanSecondsChanged)
    // The AI rows of the last scan, and whether that scan had a live proxy to try them
    // through; both are copied together when a scan ends.
    Q_PROPERTY(QList<AIStatus> aiItems READ aiItems NOTIFY aiItemsChanged)
    Q_PROPERTY(bool aiProxied READ aiProxied NOTIFY aiItemsChanged)
    Q_PROPERTY(bool guardianOn READ guardianOn NOTIFY guardianOnChanged)
    Q_PROPERTY(QString guardStatus READ guardStatus NOTIFY guardStatusChanged)
    // Why the guardian rests from a proxy and what the user can do; empty while it acts.
    Q_PROPERTY(QString guardRest READ guardRest NOTIFY guardRestChanged)
    Q_PROPERTY(int guardFixedCount READ guardFixedCount NOTIFY guardFixedCountChanged)
    Q_PROPERTY(bool agentInstalled READ agentInstalled NOTIFY agentInstalledChanged)
    // The last guardian log lines, oldest first.
    Q_PROPERTY(QStringList guardLog READ guardLog NOTIFY guardLogChanged)
    // Whether the guardian card shows its log; the window toggles it.
    Q_PROPERTY(bool showGuardLog READ showGuardLog WRITE setShowGuardLog NOTIFY showGuardLogChanged)
    Q_PROPERTY(bool netChecking READ netChecking NOTIFY netCheckingChanged)
    // The last internet test's result; absent until the first test ends.
    Q_PROPERTY(std::optional<NetVerifyResult> netResult READ netResult NOTIFY netResultChanged)
    // The last internet test was started by a repair, and how that repair ended: a
    // cancelled batch starts a test too, and its verdict must not read "repaired".
    Q_PROPERTY(bool netCheckAfterFix READ netCheckAfterFix NOTIFY netCheckAfterFixChanged)
    Q_PROPERTY(std::optional<RepairOutcome> netCheckRepair READ netCheckRepair NOTIFY
                   netCheckAfterFixChanged)
    // What the last batch repair did, kept through the rescan that follows it until the user
    // dismisses it or another batch starts; absent before the first.
    Q_PROPERTY(std::optional<BatchReport> batchReport READ batchReport NOTIFY batchReportChanged)
    // The repair journal, newest first: read again after every repair, undo and guardian
    // repair of this model, and by refreshHistory.
    Q_PROPERTY(QList<HistoryItem> history READ history NOTIFY historyChanged)
    Q_PROPERTY(bool undoBusy READ undoBusy NOTIFY undoBusyChanged)
    // What the last undo did; its first character is the status sign. Empty before the first.
    Q_PROPERTY(QString undoText READ undoText NOTIFY undoTextChanged)
    // When the last undo was refused because settings changed since the repair: the entry,
    // and those settings as the user reads them. The window asks, then calls undo(id, true).
    Q_PROPERTY(qint64 undoConflictId READ undoConflictId NOTIFY undoConflictChanged)
    Q_PROPERTY(QStringList undoConflicts READ undoConflicts NOTIFY undoConflictChanged)

public:
    // The product's pauses. Only tests pass other values, to run the flows faster.
    struct Pacing {
        std::chrono::milliseconds guardInterval{4000}; // between guardian timer firings
        std::chrono::milliseconds rescanDelay{1200};   // from a batch repair's end to its rescan
    };

    // The window's model: the process-wide guardian and the product's pacing. Starts nothing.
    explicit AppModel(QObject *parent = nullptr);
    // A model whose guardian checks run on `guardian`, which must outlive every guardian
    // task of the model. For tests only.
    AppModel(ProxyGuardian &guardian, Pacing pacing, QObject *parent = nullptr);
    ~AppModel() override;
    AppModel(const AppModel &) = delete;
    AppModel &operator=(const AppModel &) = delete;

    QList<Finding> findings() const { return m_findings; }
    bool scanning() const { return m_scanning; }
    QString progressText() const { return m_progressText; }
    double progressValue() const { return m_progressValue; }
    QMap<QString, QString> fixLog() const { return m_fixLog; }
    QMap<QString, QDateTime> repaired() const { return m_repaired; }
    bool fixingAll() const { return m_fixingAll; }
    std::optional<QString> fixingId() const { return m_fixingId; }
    std::optional<QDateTime> lastScan() const { return m_lastScan; }
    // The time of day as the model reads it: when a scan ended, what an export is named after.
    QDateTime now() const { return m_clock(); }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    double scanSeconds() const { return m_scanSeconds; }
    QList<AIStatus> aiItems() const { return m_aiItems; }
    bool aiProxied() const { return m_aiProxied; }
    bool guardianOn() const { return m_guardianOn; }
    QString guardStatus() const { return m_guardStatus; }
    QString guardRest() const { return m_guardRest; }
    int guardFixedCount() const { return m_guardFixedCount; }
    bool agentInstalled() const { return m_agentInstalled; }
    QStringList guardLog() const { return m_guardLog; }
    bool showGuardLog() const { return m_showGuardLog; }
    bool netChecking() const { return m_netChecking; }
    std::optional<NetVerifyResult> netResult() const { return m_netResult; }
    bool netCheckAfterFix() const { return m_netCheckAfterFix; }
    std::optional<RepairOutcome> netCheckRepair() const { return m_netCheckRepair; }
    std::optional<BatchReport> batchReport() const { return m_batchReport; }
    QList<HistoryItem> history() const { return m_history; }
    bool undoBusy() const { return m_undoBusy; }
    QString undoText() const { return m_undoText; }
    qint64 undoConflictId() const { return m_undoConflictId; }
    QStringList undoConflicts() const { return m_undoConflicts; }

    void setShowGuardLog(bool show);

    // Derived from the state on every read, never cached; lists keep the order of findings.
    QList<Finding> problems() const;              // warn and error
    QList<Finding> unresolvedProblems() const;    // those not repaired since the scan
    QList<Finding> passes() const;                // ok and info
    QList<Finding> optionalItems() const;         // info and warn
    QList<Finding> blockingIssues() const;        // error
    int fixableCount() const;                     // problems that carry a repair
    std::optional<WebVerdict> netVerdict() const; // of the last internet test, if any
    // The last internet test fetched the page the way the Mac's apps would: through the
    // system proxy, or directly with none switched on.
    bool netUsable() const;
    Severity effectiveStatus() const; // the headline's severity
    QString statusLabel() const;      // "正常", "可用", "提示", "警告", "故障"
    QString statusTitle() const;      // the headline sentence

    // Runs the main thread's events until every background task of every model has ended,
    // or `limit` has passed; true when all ended. For the end of the process and for tests.
    static bool waitForBackgroundWork(std::chrono::milliseconds limit);

public slots:
    // A whole scan: findings and progress step by step, then the AI rows, the finish time and
    // an internet test. Dropped while a scan runs.
    void scan();
    // Repairs one finding; a success starts an internet test, never a rescan. Dropped when the
    // finding has no repair, or while a scan, a repair or an undo runs: the finding may be
    // about to change, and repairs and undos change the same settings.
    void fix(const Finding &finding);
    // Repairs every problem that carries a repair, administrator commands behind one prompt;
    // then the batch's report, an internet test and, a moment later, a rescan. Dropped
    // without targets, during a scan, another batch or an undo.
    void fixAll();
    // Puts the last batch's report away.
    void dismissBatchReport();
    // Fetches a real search page through the system proxy, then directly. Dropped while a
    // test runs (`netCheckAfterFix` then keeps its value).
    void verifyInternet(bool afterFix);
    // Reads the agent state, the log and the repair count, starts the guardian timer (again:
    // restarts it, never a second one) and runs one guardian check at once.
    void startGuardianIfNeeded();
    // One guardian check with repair, unless one runs. A check that switched a residual proxy
    // off starts a rescan.
    void tickGuardian();
    // Switches the timer's checks off or on; on runs one check at once.
    void toggleGuardian();
    // Ends the guardian's rest from a proxy; one check follows at once.
    void resumeGuardian();
    // Install or remove the launch agent. These wait for launchctl on the main thread.
    void installGuardAgent();
    void uninstallGuardAgent();
    // Reads the journal again (the launch agent writes to it too).
    void refreshHistory();
    // Takes back the last repair not yet taken back; see undo.
    void undoLast();
    // Takes back journal entry `id`: its settings return to their values before it ran,
    // behind one password prompt at most. Settings that somebody changed since are only
    // overwritten with `force`; otherwise the undo is refused and they are named. A restoring
    // undo starts a rescan, after the scan that runs, if one does. Dropped while an undo
    // runs; refused, with the reason in `undoText`, while a repair runs.
    void undo(qint64 id, bool force = false);

signals:
    void findingsChanged();
    void scanningChanged();
    void progressTextChanged();
    void progressValueChanged();
    void fixLogChanged();
    void fixingAllChanged();
    void fixingIdChanged();
    void lastScanChanged();
    void scanSecondsChanged();
    void aiItemsChanged();
    void guardianOnChanged();
    void guardStatusChanged();
    void guardRestChanged();
    void repairedChanged();
    void guardFixedCountChanged();
    void agentInstalledChanged();
    void guardLogChanged();
    void showGuardLogChanged();
    void netCheckingChanged();
    void netResultChanged();
    void netCheckAfterFixChanged();
    void batchReportChanged();
    void historyChanged();
    void undoBusyChanged();
    void undoTextChanged();
    void undoConflictChanged();
    // After any of the signals above, for a view that redraws as a whole.
    void stateChanged();

private:
    // The findings of the last scan but those repaired since: what the headline judges.
    QList<Finding> standing() const;
    void setFindings(const QList<Finding> &findings);
    void setScanning(bool scanning);
    void setProgressText(const QString &text);
    void setProgressValue(double value);
    void setFixLog(const QMap<QString, QString> &log);
    void setRepaired(const QMap<QString, QDateTime> &repaired);
    void markRepaired(const QString &findingId, const FixResult &result);
    void setFixLogEntry(const QString &id, const QString &text);
    void setFixingAll(bool fixingAll);
    void setFixingId(const std::optional<QString> &id);
    void setLastScan(const std::optional<QDateTime> &when);
    void setScanSeconds(double seconds);
    void setAIItems(const QList<AIStatus> &items, bool proxied);
    void setGuardianOn(bool on);
    void setGuardStatus(const QString &status);
    void setGuardRest(const QString &rest);
    void setGuardFixedCount(int count);
    void setAgentInstalled(bool installed);
    void setGuardLog(const QStringList &lines);
    void setNetChecking(bool checking);
    void setNetResult(const std::optional<NetVerifyResult> &result);
    void setNetCheckAfterFix(bool afterFix, std::optional<RepairOutcome> repair);
    void setBatchReport(const std::optional<BatchReport> &report);
    void setHistory(const QList<HistoryItem> &history);
    void setUndoBusy(bool busy);
    void setUndoText(const QString &text);
    void setUndoConflict(qint64 id, const QStringList &settings);

    // The journal as the window lists it. Reads the file: call it off the main thread.
    static QList<HistoryItem> historyOf(const Journal &journal);

    // Sets `field`; true when the value really changed.
    template <typename T> bool update(T &field, const T &value);
    void announce(void (AppModel::*changed)());
    // Sets `field` and announces it when the value really changed.
    template <typename T> void assign(T &field, const T &value, void (AppModel::*changed)());

    // The internet test, started by a repair that ended as `repair`, or by no repair.
    void startInternetTest(std::optional<RepairOutcome> repair);
    // A scan now, or, while one runs, once it has ended: its findings may predate a change
    // that was just made, and a window left showing them would be stale.
    void requestRescan();

    // Sets the busy flag and starts one guardian check on a background thread.
    void startGuardianTick();
    // The guardian's repair count, read only while no check of ours can be writing it.
    void refreshGuardFixedCount();
    // What installing or removing the agent leaves for the card to show.
    void showAgentOutcome(const QString &message);

    ProxyGuardian &m_guardian;
    const Pacing m_pacing;
    Clock m_clock = systemClock();
    const Journal m_journal;

    QList<Finding> m_findings;
    bool m_scanning = false;
    QString m_progressText = tr("准备中…");
    double m_progressValue = 0.0;
    QMap<QString, QString> m_fixLog;
    bool m_fixingAll = false;
    std::optional<QString> m_fixingId;
    std::optional<QDateTime> m_lastScan;
    double m_scanSeconds = 0.0;
    QList<AIStatus> m_aiItems;
    bool m_aiProxied = false;
    bool m_guardianOn = true;
    QString m_guardStatus = tr("守护启动中…");
    QString m_guardRest;
    QMap<QString, QDateTime> m_repaired;
    int m_guardFixedCount = 0;
    bool m_agentInstalled = false;
    QStringList m_guardLog;
    bool m_showGuardLog = false;
    bool m_netChecking = false;
    std::optional<NetVerifyResult> m_netResult;
    bool m_netCheckAfterFix = false;
    std::optional<RepairOutcome> m_netCheckRepair;
    std::optional<BatchReport> m_batchReport;
    bool m_rescanPending = false; // not observable: a change was made while a scan ran
    QList<HistoryItem> m_history;
    bool m_undoBusy = false;
    QString m_undoText;
    qint64 m_undoConflictId = 0;
    QStringList m_undoConflicts;

    // Not observable. One timer for the model's life, started by startGuardianIfNeeded.
    QTimer m_guardTimer;
    bool m_guardBusy = false;
};

} // namespace brevik
