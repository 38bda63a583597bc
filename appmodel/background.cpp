#include "appmodel/background.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QThreadPool>

#include <atomic>

namespace brevik {

namespace {

// Enough for every kind of user-initiated task of a few models at once; a task that finds
// them all busy waits in the queue, it is never dropped.
constexpr int kUserInitiatedThreads = 16;
// Guardian checks never overlap within a model; a few threads cover several models.
constexpr int kBackgroundThreads = 4;

std::atomic<int> g_running{0};

// Neither the pools nor the relay are ever destroyed: a pool's destructor waits for its
// tasks, and one of them may sit behind a password prompt for five minutes while the
// process wants to end.
QThreadPool *makePool(int threads, QThread::Priority priority)
{
    auto *pool = new QThreadPool;
    pool->setMaxThreadCount(threads);
    pool->setThreadPriority(priority);
    return pool;
}

QThreadPool &pool(Background::Priority priority)
{
    static QThreadPool *const userInitiated =
        makePool(kUserInitiatedThreads, QThread::NormalPriority);
    static QThreadPool *const background = makePool(kBackgroundThreads, QThread::LowPriority);
    return priority == Background::Priority::background ? *background : *userInitiated;
}

// Lives on the main thread and receives the hops. Made by the first start(), which runs on
// the main thread before any task exists.
QObject *g_relay = nullptr;

QObject &relay()
{
    if (!g_relay)
        g_relay = new QObject;
    return *g_relay;
}

} // namespace

namespace Background {

void start(Priority priority, std::function<void()> task)
{
    relay();
    ++g_running;
    pool(priority).start([task = std::move(task)] {
        task();
        --g_running;
    });
}

void onMainThreadAndWait(const std::function<void()> &job)
{
    // relay() is made by start() before the first task runs, so a task only reads it here.
    if (QThread::currentThread() == relay().thread()) {
        job();
        return;
    }
    QMetaObject::invokeMethod(&relay(), job, Qt::BlockingQueuedConnection);
}

void postToMainThread(std::function<void()> job)
{
    QMetaObject::invokeMethod(&relay(), std::move(job), Qt::QueuedConnection);
}

bool waitForIdle(std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    while (g_running.load() > 0) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

} // namespace Background

} // namespace brevik
