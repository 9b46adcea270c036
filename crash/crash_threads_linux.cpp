// Every thread of the process gets its alternate signal stack, also those that libraries start
// (Qt's, GLib's, libmosquitto's): the program defines pthread_create, to which the dynamic linker
// binds every library's calls, and starts each thread through prepareThread().

#include "crash/crash_reporter.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <pthread.h>

namespace crash {
namespace {

using CreateFunction = int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);

std::atomic<CreateFunction> g_create{nullptr};

struct ThreadStart
{
    void *(*routine)(void *);
    void *argument;
};

void *startPrepared(void *p)
{
    const ThreadStart start = *static_cast<ThreadStart *>(p);
    std::free(p);
    prepareThread();
    return start.routine(start.argument);
}

CreateFunction systemCreate()
{
    CreateFunction create = g_create.load(std::memory_order_acquire);
    if (!create) {
        create = reinterpret_cast<CreateFunction>(dlsym(RTLD_NEXT, "pthread_create"));
        g_create.store(create, std::memory_order_release);
    }
    return create;
}

} // namespace

void wrapThreadCreation()
{
    systemCreate();
}

} // namespace crash

extern "C" int pthread_create(pthread_t *thread, const pthread_attr_t *attributes,
                              void *(*routine)(void *), void *argument) noexcept
{
    const crash::CreateFunction create = crash::systemCreate();
    if (!create)
        return EAGAIN;
    auto *start = static_cast<crash::ThreadStart *>(std::malloc(sizeof(crash::ThreadStart)));
    if (!start)
        return create(thread, attributes, routine, argument);
    *start = {routine, argument};
    const int result = create(thread, attributes, crash::startPrepared, start);
    if (result != 0)
        std::free(start);
    return result;
}
