// Breaks the stack of one kind of thread on purpose: thread_crash_child KIND HOW, where KIND is
// main, program (a std::thread that never calls prepareThread), library (a thread GLib starts)
// or qt (a QThread), and HOW is overflow (endless recursion) or smash (the stack pointer set to
// 0x10, as a smashed stack leaves it). Threads name themselves "<kind>-worker".

#include "crash/crash_reporter.h"

#include <QThread>

#include <glib.h>

#include <cstring>
#include <thread>

#include <pthread.h>

namespace {

volatile int g_sink;
volatile bool g_deeper = true;

__attribute__((noinline)) int recurse(int depth)
{
    volatile char frame[512];
    frame[depth % sizeof frame] = char(depth);
    return g_deeper ? recurse(depth + 1) + frame[0] : 0;
}

__attribute__((noinline)) void smashStackPointer()
{
    asm volatile("mov $0x10, %%rsp\n\tret" ::: "memory");
}

const char *g_how = "";

void breakStack()
{
    if (!std::strcmp(g_how, "overflow"))
        g_sink = recurse(0);
    else if (!std::strcmp(g_how, "smash"))
        smashStackPointer();
}

void *onThread(void *name)
{
    pthread_setname_np(pthread_self(), static_cast<const char *>(name));
    breakStack();
    return nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    crash::installCrashReporter();
    if (argc != 3)
        return 2;
    const char *kind = argv[1];
    g_how = argv[2];
    if (!std::strcmp(kind, "main")) {
        breakStack();
    } else if (!std::strcmp(kind, "program")) {
        std::thread([] { onThread(const_cast<char *>("program-worker")); }).join();
    } else if (!std::strcmp(kind, "library")) {
        g_thread_join(g_thread_new("library-worker", onThread, const_cast<char *>("library-worker")));
    } else if (!std::strcmp(kind, "qt")) {
        QThread *thread = QThread::create([] { breakStack(); });
        thread->setObjectName("qt-worker"); // Qt names the thread after it
        thread->start();
        thread->wait();
    }
    return 3; // nothing broke
}
