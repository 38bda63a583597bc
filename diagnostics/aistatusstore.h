#pragma once

#include "model/finding.h"

#include <QDateTime>
#include <QList>
#include <QMutex>

#include <optional>

namespace brevik {

// The latest AI reachability rows, shared by the process: the AI check writes them once
// all six probes are done, the window reads them afterwards.
class AIStatusStore {
public:
    static AIStatusStore &shared();

    struct Snapshot {
        QList<AIStatus> items;
        bool proxied = false;
        std::optional<QDateTime> testedAt;
    };

    // Replaces all three fields at once.
    void replace(const QList<AIStatus> &items, bool proxied, const QDateTime &testedAt);

    QList<AIStatus> items() const;
    bool proxied() const;
    std::optional<QDateTime> testedAt() const;
    Snapshot snapshot() const;

private:
    AIStatusStore() = default;
    mutable QMutex m_mutex;
    Snapshot m_data;
};

} // namespace brevik
