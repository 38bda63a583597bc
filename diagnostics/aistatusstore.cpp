#include "diagnostics/aistatusstore.h"

#include <QMutexLocker>

namespace brevik {

AIStatusStore &AIStatusStore::shared()
{
    static AIStatusStore store;
    return store;
}

void AIStatusStore::replace(const QList<AIStatus> &items, bool proxied, const QDateTime &testedAt)
{
    QMutexLocker lock(&m_mutex);
    m_data = {items, proxied, testedAt};
}

QList<AIStatus> AIStatusStore::items() const
{
    QMutexLocker lock(&m_mutex);
    return m_data.items;
}

bool AIStatusStore::proxied() const
{
    QMutexLocker lock(&m_mutex);
    return m_data.proxied;
}

std::optional<QDateTime> AIStatusStore::testedAt() const
{
    QMutexLocker lock(&m_mutex);
    return m_data.testedAt;
}

AIStatusStore::Snapshot AIStatusStore::snapshot() const
{
    QMutexLocker lock(&m_mutex);
    return m_data;
}

} // namespace brevik
