#include "Source/ArchiveTask.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <thread>
#include <vector>

class TArchiveTaskState : public TArchiveTaskControl
{
public:
    std::function<void(TArchiveTaskControl &)> Work;
    std::atomic<bool> Finished {false};
    // The waiting loop, while someone waits; the worker wakes it when done.
    std::mutex WaiterMutex;
    QPointer<QEventLoop> Waiter;

    void Cancel()
    {
        FCancel = true;
        Wake();
    }
    void Wake()
    {
        std::lock_guard<std::mutex> lock(WaiterMutex);
        if (Waiter)
            QMetaObject::invokeMethod(Waiter.data(), &QEventLoop::quit, Qt::QueuedConnection);
    }
    int32_t Progress() const { return FProgress.load(std::memory_order_relaxed); }
};

namespace {

std::mutex g_waitingMutex;
std::vector<std::weak_ptr<TArchiveTaskState>> g_waiting;

} // namespace

std::mutex &ArchiverLock()
{
    static std::mutex lock;
    return lock;
}

void TArchiveTaskHandle::Cancel() const
{
    if (FState)
        FState->Cancel();
}

bool TArchiveTaskHandle::Running() const { return FState && !FState->Finished && !FState->Cancelled(); }

TArchiveTaskEnd RunArchiveTask(std::function<void(TArchiveTaskControl &)> work, const TArchiveTaskView &view,
                               const std::function<void(TArchiveTaskHandle)> &started)
{
    auto state = std::make_shared<TArchiveTaskState>();
    state->Work = std::move(work);
    QEventLoop loop;
    {
        std::lock_guard<std::mutex> lock(state->WaiterMutex);
        state->Waiter = &loop;
    }
    {
        std::lock_guard<std::mutex> lock(g_waitingMutex);
        g_waiting.push_back(state);
    }
    if (started)
        started(TArchiveTaskHandle(state));

    // The thread keeps the state alive: a cancelled task ends on its own after its waiter
    // has gone.
    std::thread([state] {
        {
            std::lock_guard<std::mutex> lock(ArchiverLock());
            if (!state->Cancelled())
                state->Work(*state);
            state->Work = nullptr;   // what the work held goes on this thread
        }
        state->Finished = true;
        state->Wake();
    }).detach();

    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    bool slow = false;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (!slow && clock.elapsed() >= TArchiveTaskView::SlowAfterMs) {
            slow = true;
            tick.setInterval(200);
            if (view.Slow)
                view.Slow();
        }
        if (slow && view.Progress)
            view.Progress(state->Progress());
    });
    tick.start(TArchiveTaskView::SlowAfterMs);
    while (!state->Finished && !state->Cancelled())
        loop.exec();
    tick.stop();
    {
        std::lock_guard<std::mutex> lock(state->WaiterMutex);
        state->Waiter = nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(g_waitingMutex);
        g_waiting.erase(std::remove_if(g_waiting.begin(), g_waiting.end(),
                                       [&](const std::weak_ptr<TArchiveTaskState> &w) {
                                           auto s = w.lock();
                                           return !s || s == state;
                                       }),
                        g_waiting.end());
    }
    return state->Finished && !state->Cancelled() ? TArchiveTaskEnd::Done : TArchiveTaskEnd::Cancelled;
}

int WaitingArchiveTasks()
{
    std::lock_guard<std::mutex> lock(g_waitingMutex);
    return static_cast<int>(std::count_if(g_waiting.begin(), g_waiting.end(),
                                          [](const std::weak_ptr<TArchiveTaskState> &w) { return !w.expired(); }));
}

void CancelWaitingArchiveTasks()
{
    std::vector<std::shared_ptr<TArchiveTaskState>> states;
    {
        std::lock_guard<std::mutex> lock(g_waitingMutex);
        for (const auto &w : g_waiting)
            if (auto s = w.lock())
                states.push_back(s);
    }
    for (const auto &s : states)
        s->Cancel();
}

void WaitForArchiveTasks()
{
    // A task holds the lock for as long as it runs.
    std::lock_guard<std::mutex> lock(ArchiverLock());
}
