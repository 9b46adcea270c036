// Crashes on purpose in the way its argument names, with the crash reporter installed, so that
// the tests can read the report it leaves. Builds for Linux and, cross-compiled, for Windows.

#include "crash/crash_reporter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

#define NOINLINE __attribute__((noinline))

namespace {

// Below 64 KiB: never mapped, on Linux (mmap_min_addr) as on Windows.
constexpr uintptr_t kUnmappedAddress = 0xFFF0;

// Volatile, so that the compiler cannot prove any of the crashes away.
volatile int g_sink;
volatile bool g_deeper = true;

NOINLINE void writeNull()
{
    volatile int *volatile target = nullptr;
    *target = 42;
}

NOINLINE int readUnmapped()
{
    const volatile int *source = reinterpret_cast<const volatile int *>(kUnmappedAddress);
    return *source;
}

NOINLINE int divideByZero()
{
    volatile int one = 1;
    volatile int zero = 0;
    return one / zero;
}

NOINLINE int recurse(int depth)
{
    volatile char frame[512];
    frame[depth % sizeof frame] = char(depth);
    return g_deeper ? recurse(depth + 1) + frame[0] : 0;
}

NOINLINE void callBroken()
{
    void (*volatile broken)() = nullptr;
    broken();
}

// A thread of the program's own, which does nothing to prepare for a report.
void *overflowOnThread(void *)
{
#if !defined(_WIN32)
    pthread_setname_np(pthread_self(), "overflowing");
#endif
    g_sink = recurse(0);
    return nullptr;
}

void runOnThread(void *(*work)(void *))
{
#if defined(_WIN32)
    struct Start
    {
        static DWORD WINAPI run(void *work)
        {
            reinterpret_cast<void *(*)(void *)>(work)(nullptr);
            return 0;
        }
    };
    HANDLE thread =
        CreateThread(nullptr, 0, Start::run, reinterpret_cast<void *>(work), 0, nullptr);
    if (thread)
        WaitForSingleObject(thread, INFINITE);
#else
    pthread_t thread;
    if (pthread_create(&thread, nullptr, work, nullptr) == 0)
        pthread_join(thread, nullptr);
#endif
}

NOINLINE void throwUncaught()
{
    throw std::runtime_error("disk on fire");
}

} // namespace

int main(int argc, char *argv[])
{
    crash::installCrashReporter();
    const char *mode = argc > 1 ? argv[1] : "";
    if (!std::strcmp(mode, "null-write"))
        writeNull();
    else if (!std::strcmp(mode, "read-unmapped"))
        g_sink = readUnmapped();
    else if (!std::strcmp(mode, "divide-by-zero"))
        g_sink = divideByZero();
    else if (!std::strcmp(mode, "stack-overflow"))
        g_sink = recurse(0);
    else if (!std::strcmp(mode, "thread-stack-overflow"))
        runOnThread(overflowOnThread);
    else if (!std::strcmp(mode, "bad-call"))
        callBroken();
    else if (!std::strcmp(mode, "abort"))
        std::abort();
    else if (!std::strcmp(mode, "uncaught-exception"))
        throwUncaught();
    else if (!std::strcmp(mode, "illegal-instruction"))
        __builtin_trap();
    return 3; // unknown mode, or a crash that did not happen
}
