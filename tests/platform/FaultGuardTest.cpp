#include "platform/FaultGuard.h"

#include <gtest/gtest.h>

#include <setjmp.h>
#include <signal.h>

#include <stdexcept>

using tovik::platform::FaultGuard;

namespace {

int *volatile nullPointer = nullptr;
volatile int zero = 0;
volatile int dividend = 7;   // "1 / x" compiles to compares, with no division to fault

void Segfault()
{
    *nullPointer = 42;
}

// Deep enough to run off any thread stack; the frame keeps the compiler from looping.
int Recurse(int depth)
{
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    if (depth == -1)   // never: runs off the stack long before
        return 0;
    return Recurse(depth + 1) + frame[0];
}

bool SameHandler(int sig, void (*handler)(int))
{
    struct sigaction now{};
    sigaction(sig, nullptr, &now);
    return (now.sa_flags & SA_SIGINFO) == 0 && now.sa_handler == handler;
}

} // namespace

TEST(FaultGuard, NormalCallsAndResults)
{
    FaultGuard guard;
    int value = 0;
    EXPECT_TRUE(guard.Run([&] { value = 7; }));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(FaultGuard::LastSignal(), 0);
}

TEST(FaultGuard, CatchesEachKindOfFaultAndStaysUsable)
{
    FaultGuard guard;
    // Twice in a row: a guard that forgot to unblock the signal would die on the second.
    EXPECT_FALSE(guard.Run(Segfault));
    EXPECT_EQ(FaultGuard::LastSignal(), SIGSEGV);
    EXPECT_FALSE(guard.Run(Segfault));
    EXPECT_EQ(FaultGuard::LastSignal(), SIGSEGV);

    int result = 0;
    EXPECT_FALSE(guard.Run([&] { result = dividend / zero; }));
    EXPECT_EQ(FaultGuard::LastSignal(), SIGFPE);
    EXPECT_FALSE(guard.Run([] { __builtin_trap(); }));
    EXPECT_EQ(FaultGuard::LastSignal(), SIGILL);
    EXPECT_FALSE(guard.Run([] { raise(SIGBUS); }));
    EXPECT_EQ(FaultGuard::LastSignal(), SIGBUS);
    EXPECT_FALSE(guard.Run([] { throw std::runtime_error("inside"); }));
    EXPECT_EQ(FaultGuard::LastSignal(), 0);
    EXPECT_FALSE(guard.Run([] { throw 5; }));

    EXPECT_TRUE(guard.Run([&] { result = 3; }));
    EXPECT_EQ(result, 3);
}

TEST(FaultGuard, CatchesStackOverflowOnItsOwnStack)
{
    FaultGuard guard;
    int sink = 0;
    EXPECT_FALSE(guard.Run([&] { sink = Recurse(0); }));
    EXPECT_EQ(FaultGuard::LastSignal(), SIGSEGV);
    EXPECT_FALSE(guard.Run(Segfault));
}

TEST(FaultGuard, NestedGuardsAndCalls)
{
    FaultGuard outer;
    {
        FaultGuard inner;
        EXPECT_EQ(FaultGuard::Depth(), 2);
        bool innerResult = true;
        // A fault in a nested call returns to the nested call only.
        EXPECT_TRUE(outer.Run([&] { innerResult = inner.Run(Segfault); }));
        EXPECT_FALSE(innerResult);
    }
    EXPECT_EQ(FaultGuard::Depth(), 1);
    EXPECT_FALSE(outer.Run(Segfault));
}

TEST(FaultGuard, RestoresPreviousHandlers)
{
    auto custom = +[](int) {};
    struct sigaction action{}, old{};
    action.sa_handler = custom;
    sigemptyset(&action.sa_mask);
    sigaction(SIGFPE, &action, &old);
    {
        FaultGuard guard;
        EXPECT_FALSE(SameHandler(SIGFPE, custom));
    }
    EXPECT_EQ(FaultGuard::Depth(), 0);
    EXPECT_TRUE(SameHandler(SIGFPE, custom));
    EXPECT_TRUE(SameHandler(SIGSEGV, SIG_DFL));
    sigaction(SIGFPE, &old, nullptr);
}

namespace {
sigjmp_buf outsideJump;
void OutsideHandler(int)
{
    siglongjmp(outsideJump, 1);
}
} // namespace

TEST(FaultGuard, FaultOutsideAGuardedCallGoesToThePreviousHandler)
{
    struct sigaction action{}, old{};
    action.sa_handler = OutsideHandler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGSEGV, &action, &old);
    bool reachedPrevious = false;
    {
        FaultGuard guard;
        if (sigsetjmp(outsideJump, 1) == 0)
            Segfault();
        else
            reachedPrevious = true;
    }
    EXPECT_TRUE(reachedPrevious);
    sigaction(SIGSEGV, &old, nullptr);
}
