#include "FaultGuard.h"

#include <pthread.h>
#include <setjmp.h>
#include <signal.h>

#include <cstdlib>
#include <mutex>

namespace tovik::platform {
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr int kSignalCount = sizeof(kSignals) / sizeof(kSignals[0]);
// Room for the handler on the alternate stack; it only unblocks and jumps.
constexpr size_t kAltStackSize = 64 * 1024;

// Handlers are process-wide: the first guard installs them, the last one restores the
// dispositions found then.
std::mutex installMutex;
int installCount = 0;
struct sigaction previousActions[kSignalCount];

// Per thread: where a fault jumps to, and this thread's alternate stack.
thread_local sigjmp_buf *activeJump = nullptr;
thread_local int lastSignal = 0;
thread_local int threadDepth = 0;
thread_local void *altStackMemory = nullptr;
thread_local stack_t previousAltStack;

int SignalIndex(int sig)
{
    for (int i = 0; i < kSignalCount; ++i)
        if (kSignals[i] == sig)
            return i;
    return -1;
}

void FaultHandler(int sig, siginfo_t *info, void *)
{
    if (sigjmp_buf *jump = activeJump) {
        lastSignal = sig;
        // The jump buffer is saved without the signal mask (a sigsetjmp that saves it costs a
        // system call per library call, and a large archive makes a million of them), so the
        // signal the kernel blocked for this handler is unblocked here. Without this the next
        // fault of the same kind would kill the process.
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, sig);
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        siglongjmp(*jump, sig);
    }
    // A fault outside a guarded call: give the signal to whoever had it before us. A
    // synchronous fault repeats when the instruction runs again after returning; a signal
    // sent by kill() is raised again.
    int index = SignalIndex(sig);
    if (index >= 0)
        sigaction(sig, &previousActions[index], nullptr);
    if (info && info->si_code <= 0)
        raise(sig);
}

} // namespace

FaultGuard::FaultGuard()
{
    if (threadDepth++ == 0) {
        altStackMemory = std::malloc(kAltStackSize);
        stack_t stack{};
        stack.ss_sp = altStackMemory;
        stack.ss_size = kAltStackSize;
        stack.ss_flags = 0;
        if (!altStackMemory || sigaltstack(&stack, &previousAltStack) != 0) {
            std::free(altStackMemory);
            altStackMemory = nullptr;
        }
    }
    std::lock_guard<std::mutex> lock(installMutex);
    if (installCount++ == 0) {
        struct sigaction action{};
        action.sa_sigaction = FaultHandler;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < kSignalCount; ++i)
            sigaction(kSignals[i], &action, &previousActions[i]);
    }
}

FaultGuard::~FaultGuard()
{
    {
        std::lock_guard<std::mutex> lock(installMutex);
        if (--installCount == 0)
            for (int i = 0; i < kSignalCount; ++i)
                sigaction(kSignals[i], &previousActions[i], nullptr);
    }
    if (--threadDepth == 0 && altStackMemory) {
        // Put back the stack that was there, or none.
        if (previousAltStack.ss_flags & SS_DISABLE) {
            stack_t none{};
            none.ss_flags = SS_DISABLE;
            sigaltstack(&none, nullptr);
        } else {
            sigaltstack(&previousAltStack, nullptr);
        }
        std::free(altStackMemory);
        altStackMemory = nullptr;
    }
}

int FaultGuard::LastSignal()
{
    return lastSignal;
}

int FaultGuard::Depth()
{
    return threadDepth;
}

bool FaultGuard::RunThunk(void (*thunk)(void *), void *context)
{
    sigjmp_buf env;
    sigjmp_buf *volatile outer = activeJump;
    lastSignal = 0;
    if (sigsetjmp(env, 0) != 0) {
        activeJump = outer;
        return false;
    }
    activeJump = &env;
    try {
        thunk(context);
    } catch (...) {
        activeJump = outer;
        return false;
    }
    activeJump = outer;
    return true;
}

} // namespace tovik::platform
