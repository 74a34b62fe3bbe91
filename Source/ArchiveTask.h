// Long archive work off the window's thread.
//
// RunArchiveTask runs a piece of work (a listing, an extraction) on a thread of its own and
// returns when it has ended, while the window's event loop goes on meanwhile: the window
// repaints and answers, and the caller's order of events stays as it was. The archiver
// libraries are called from one such thread at a time: every task holds ArchiverLock() while
// it runs, and so must any other code that calls a library while tasks may run.
//
// A task may be cancelled. The caller then stops waiting at once and gets Cancelled; the work
// is told through its Cancelled() flag and ends in its own time, on its own copies of what it
// needs (it must not touch what the caller may free), and its result is dropped.
#ifndef TOVIK_SOURCE_ARCHIVETASK_H
#define TOVIK_SOURCE_ARCHIVETASK_H

#include "Source/LxPnArcDataClasses.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class TArchiveTaskState;

// What the running work sees of its task.
class TArchiveTaskControl : public TLoadMonitor
{
public:
    bool Cancelled() const override { return FCancel.load(std::memory_order_relaxed); }
    // Entries read so far, for the progress shown.
    void SetProgress(int32_t count) override { FProgress.store(count, std::memory_order_relaxed); }

protected:
    std::atomic<bool> FCancel {false};
    std::atomic<int32_t> FProgress {0};
};

// How the waiting window shows a task: Slow once after the task has run for SlowAfterMs,
// then Progress with the entries read so far every few tenths of a second.
struct TArchiveTaskView {
    static constexpr int SlowAfterMs = 300;
    std::function<void()> Slow;
    std::function<void(int32_t entries)> Progress;
};

enum class TArchiveTaskEnd { Done, Cancelled };

// A handle to cancel the task that is being waited for; empty when none.
class TArchiveTaskHandle
{
public:
    TArchiveTaskHandle() = default;
    explicit TArchiveTaskHandle(std::shared_ptr<TArchiveTaskState> state) : FState(std::move(state)) {}
    // Asks the task to stop; its waiter returns Cancelled at once.
    void Cancel() const;
    bool Running() const;

private:
    std::shared_ptr<TArchiveTaskState> FState;
};

// Runs work on a worker thread and waits for it. started, when given, receives the handle
// that cancels it (kept by the caller's window for its cancel button).
TArchiveTaskEnd RunArchiveTask(std::function<void(TArchiveTaskControl &)> work, const TArchiveTaskView &view,
                               const std::function<void(TArchiveTaskHandle)> &started = {});

// The lock every call into an archiver library holds while tasks may run.
std::mutex &ArchiverLock();
// Number of tasks being waited for right now (nested waits count each).
int WaitingArchiveTasks();
// Cancels every task being waited for (the program is closing).
void CancelWaitingArchiveTasks();
// Waits until no task runs any more, cancelled ones included (at program end, before the
// libraries go).
void WaitForArchiveTasks();

#endif
