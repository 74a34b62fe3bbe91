// Calls into outside libraries that must not take the program down with them.
//
// A FaultGuard installs handlers for SIGSEGV, SIGBUS, SIGFPE and SIGILL (on an alternate
// signal stack, so a stack overflow is caught too) for as long as it lives, and restores the
// handlers and stack that were there before when it is destroyed. Guards nest; only the
// outermost one installs. Run() calls a function: a fault inside it jumps back out of the
// call, and a C++ exception leaving it is caught; either way Run() answers false, and the
// guard stays usable for the next call.
//
// A fault outside Run() while a guard lives is not ours: the handler puts the previous
// disposition back and lets the signal take its normal course.
//
// What a faulting call leaves behind is lost: memory it allocated leaks, locks it held stay
// held. The library is unloaded by its wrapper soon after, and that is accepted.
// Guards are per thread, each thread with its own alternate stack: the viewer calls the
// libraries from one worker thread at a time, the tools from their main thread.
#ifndef TOVIK_PLATFORM_FAULTGUARD_H
#define TOVIK_PLATFORM_FAULTGUARD_H

#include <type_traits>

namespace tovik::platform {

class FaultGuard {
public:
    FaultGuard();
    ~FaultGuard();
    FaultGuard(const FaultGuard &) = delete;
    FaultGuard &operator=(const FaultGuard &) = delete;

    // Calls f(). Answers true when it returned normally, false on a fault or an exception.
    // f must not own objects with destructors across the call that faults (a fault skips
    // them): keep it to the library call and plain stores of its result.
    template <class F>
    bool Run(F &&f)
    {
        using Callable = std::remove_reference_t<F>;
        if constexpr (std::is_function_v<Callable>) {
            Callable *function = &f;
            return Run([function] { function(); });
        } else {
            return RunThunk(&Thunk<Callable>, &f);
        }
    }

    // The signal of the last fault caught on this thread, 0 for an exception or none.
    static int LastSignal();
    // Number of guards alive on this thread.
    static int Depth();

private:
    template <class F>
    static void Thunk(void *f)
    {
        (*static_cast<F *>(f))();
    }
    static bool RunThunk(void (*thunk)(void *), void *context);
};

} // namespace tovik::platform

#endif
