#pragma once

#include "repair/statefiles.h"

#include <QString>

#include <functional>
#include <optional>

namespace brevik {

// The one per-user lock that every process changing the Mac's settings holds for its whole
// decide-and-change span: the window's repairs and undos, --fix, --undo, each guardian run.
// With it one sighting gives one repair, and one entry is taken back once. The holder writes
// who it is into the lock file, so that whoever waits can say what for.
class ChangeLock {
public:
    // Who holds the lock, as written by the holder.
    struct Holder {
        qint64 pid = 0;
        QString what; // "修复：关闭系统代理", "守护：自动修复"
    };

    enum class Wait {
        untilFree, // a user's request: waits, however long a password prompt stays open
        never,     // a guardian run: skips its turn when the lock is taken
    };

    // Takes the lock in `folder` (the user's Application Support/Brevik). `waiting` is called
    // once, before waiting, with the current holder.
    static ChangeLock take(const QString &folder, const QString &what, Wait wait,
                           const std::function<void(const Holder &)> &waiting = {});
    // The same, in the current user's folder.
    static ChangeLock forCurrentUser(const QString &what, Wait wait,
                                     const std::function<void(const Holder &)> &waiting = {});

    // Who holds the lock in `folder` right now; none when nobody does.
    static std::optional<Holder> holderIn(const QString &folder);

    static QString folderOf(const QString &home);

    ChangeLock(ChangeLock &&) = default;
    ChangeLock &operator=(ChangeLock &&) = default;
    ~ChangeLock();

    bool held() const { return m_file.isOpen(); }
    // Another process holds it (only with Wait::never).
    bool busy() const { return m_busy.has_value(); }
    std::optional<Holder> busyWith() const { return m_busy; }
    // Why the lock could not be made at all (a link in its place, no folder); empty otherwise.
    // Callers that must act anyway (a repair for a Mac cut off) go on without it.
    QString error() const { return m_error; }

    // "正在等待另一项修改结束：…（进程 N）" for a user waiting on `holder`.
    static QString waitingText(const Holder &holder);

private:
    ChangeLock() = default;

    StateFiles::Handle m_file;
    std::optional<Holder> m_busy;
    QString m_error;
};

} // namespace brevik
