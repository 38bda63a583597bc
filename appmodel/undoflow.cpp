#include "appmodel/appmodel.h"

#include "appmodel/background.h"
#include "repair/undo.h"

#include <QPointer>

namespace brevik {

QList<HistoryItem> AppModel::historyOf(const Journal &journal)
{
    const QList<JournalEntry> entries = journal.entries();
    const QSet<qint64> undone = Undo::undoneIds(entries);
    QList<HistoryItem> items;
    for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry) {
        items << HistoryItem{entry->id,          entry->time,  originLabel(entry->origin),
                             Undo::sign(*entry), entry->title, undone.contains(entry->id)};
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
        setUndoText(QStringLiteral("⚠️ 正在修复，请等修复结束后再撤销。"));
        return;
    }
    setUndoBusy(true);
    setUndoConflict(0, {});
    setUndoText(QStringLiteral("⏳ 正在撤销…"));

    const QPointer<AppModel> self(this);
    Background::start(Background::Priority::userInitiated, [self, journal = m_journal, id, force] {
        const QList<JournalEntry> entries = journal.entries();
        const std::optional<JournalEntry> entry =
            id > 0 ? Undo::find(entries, id) : Undo::latest(entries);
        Undo::Result result;
        if (entry) {
            result = Undo::run(Undo::plan(*entry), force, RepairOrigin::window, journal);
        } else {
            result.status = Undo::Status::nothingToUndo;
            result.text =
                id > 0 ? QStringLiteral("⚠️ 修复记录里没有 #") + QString::number(id)
                       : QStringLiteral("⚠️ 没有可以撤销的修复。");
        }
        const QList<HistoryItem> items = historyOf(journal);
        Background::onMainThreadAndWait([&] {
            if (!self)
                return;
            self->setUndoText(result.text);
            if (result.status == Undo::Status::refused)
                self->setUndoConflict(entry->id, result.changedSince);
            self->setHistory(items);
            self->setUndoBusy(false);
            // The findings on show describe the Mac before the undo.
            if (result.status == Undo::Status::restored || result.status == Undo::Status::failed)
                self->requestRescan();
        });
    });
}

} // namespace brevik
