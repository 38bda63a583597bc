#include "appmodel/appmodel.h"

#include "appmodel/background.h"
#include "repair/changelock.h"
#include "repair/undo.h"

#include <QFileInfo>
#include <QPointer>

namespace brevik {

QList<HistoryItem> AppModel::historyOf(const Journal &journal)
{
    const QList<JournalEntry> entries = journal.entries();
    const QSet<qint64> undone = Undo::undoneIds(entries);
    const std::optional<ChangeLock::Holder> holder =
        ChangeLock::holderIn(QFileInfo(journal.path()).absolutePath());
    QList<HistoryItem> items;
    for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry) {
        if (!Undo::listed(*entry))
            continue;
        const bool running = Undo::running(*entry, holder);
        QString note;
        if (!entry->unreadable.isEmpty())
            note = tr("（记录不可信：%1）").arg(entry->unreadable);
        else if (running)
            note = tr("（进行中）");
        else if (!entry->finished())
            note = tr("（中断：进程在完成前退出）");
        else if (entry->changedNothing)
            note = tr("（未做任何修改）");
        else if (!entry->verdict.isEmpty())
            note = tr("（%1）").arg(entry->verdict.section(QLatin1Char('\n'), 0, 0));
        items << HistoryItem{entry->id,
                             entry->time,
                             originLabel(entry->origin),
                             Undo::sign(*entry, running),
                             entry->title,
                             undone.contains(entry->id),
                             !running && Undo::undoable(*entry),
                             note};
    }
    return items;
}

void AppModel::refreshHistory()
{
    const QPointer<AppModel> self(this);
    Background::start(Background::Priority::userInitiated, [self, journal = m_journal] {
        const QList<HistoryItem> items = historyOf(journal);
        Background::onMainThreadAndWait([&] {
            if (self)
                self->setHistory(items);
        });
    });
}

void AppModel::undoLast()
{
    undo(0);
}

void AppModel::undo(qint64 id, bool force)
{
    if (m_undoBusy)
        return;
    // Both change settings: an undo must not race a repair over the same ones.
    if (m_fixingId || m_fixingAll) {
        setUndoText(tr("⚠️ 正在修复，请等修复结束后再撤销。"));
        return;
    }
    setUndoBusy(true);
    setUndoConflict(0, {});
    setUndoText(tr("⏳ 正在撤销…"));

    const QPointer<AppModel> self(this);
    Background::start(Background::Priority::userInitiated, [self, journal = m_journal, id, force] {
        // One change at a time, across every process of the user: a repair or a guardian run
        // under way finishes first.
        const ChangeLock lock =
            ChangeLock::take(QFileInfo(journal.path()).absolutePath(), tr("撤销修复"),
                             ChangeLock::Wait::untilFree, [self](const ChangeLock::Holder &holder) {
                                 Background::postToMainThread([self, holder] {
                                     if (self)
                                         self->setUndoText(ChangeLock::waitingText(holder));
                                 });
                             });
        const Undo::Result result = Undo::takeBack(
            journal, id > 0 ? std::optional(id) : std::nullopt, force, RepairOrigin::window);
        const QList<HistoryItem> items = historyOf(journal);
        Background::onMainThreadAndWait([&] {
            if (!self)
                return;
            self->setUndoText(result.text);
            if (result.status == Undo::Status::refused && !result.changedSince.isEmpty())
                self->setUndoConflict(result.target, result.changedSince);
            self->setHistory(items);
            self->setUndoBusy(false);
            // The findings on show describe the Mac before the undo.
            if (result.status == Undo::Status::restored || result.status == Undo::Status::failed)
                self->requestRescan();
        });
    });
}

} // namespace brevik
