// Linux: the fatal signals are caught on an alternate stack (so that a stack overflow is reported
// too; every thread of the program has its own) and the report is written with async-signal-safe
// system calls only, to a path resolved at start-up.

#include "crash/crash_memory_linux.h"
#include "crash/crash_reporter.h"
#include "crash/crash_stack_linux.h"
#include "crash/crash_text.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <ucontext.h>
#include <unistd.h>

namespace crash {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

constexpr size_t kAlternateStackSize = 128 * 1024;
alignas(16) char g_alternateStack[kAlternateStackSize];
char g_reportStorage[64 * 1024];
char g_exceptionNote[1024];
volatile std::sig_atomic_t g_haveExceptionNote = false;
std::atomic<pid_t> g_reportingThread{0};
char g_reportPath[1024];
char g_unseenPath[1024];

const char *signalName(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    }
    return nullptr;
}

void appendSystemVersion(ReportText &text)
{
    struct utsname name;
    if (uname(&name) != 0) {
        text.append("Linux:  unknown\n");
        return;
    }
    const char *const parts[] = {name.sysname, ":  ",        name.release, ", ",
                                 name.version, ", Machine ", name.machine, "\n"};
    for (const char *part : parts)
        text.append(part);
}

void appendProcessPath(ReportText &text)
{
    char path[1024];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    text.append("Process:  ");
    if (n > 0)
        text.append(path, size_t(n));
    text.append("\n");
}

// "Thread:  " with the kernel's thread id and the name the thread gave itself.
void appendThread(ReportText &text)
{
    char name[17] = {};
    prctl(PR_GET_NAME, name, 0, 0, 0);
    text.append("Thread:  ");
    text.appendDecimal(uint64_t(gettid()));
    text.append(getpid() == gettid() ? " (main) " : " ");
    text.append(name);
    text.append("\n");
}

struct MachineState
{
    uintptr_t pc = 0;
    FaultFacts::Access access = FaultFacts::ReadAccess;
};

#if defined(__x86_64__)
MachineState machineState(const ucontext_t *context)
{
    const greg_t *r = context->uc_mcontext.gregs;
    MachineState state;
    state.pc = uintptr_t(r[REG_RIP]);
    // Page-fault error code: bit 4 = instruction fetch, bit 1 = write access.
    if (r[REG_ERR] & 0x10)
        state.access = FaultFacts::ExecuteAccess;
    else if (r[REG_ERR] & 2)
        state.access = FaultFacts::WriteAccess;
    return state;
}

void appendRegistersOf(ReportText &text, const ucontext_t *context)
{
    const greg_t *r = context->uc_mcontext.gregs;
    const NamedRegister registers[] = {
        {"RAX", uint64_t(r[REG_RAX])}, {"RBX", uint64_t(r[REG_RBX])},
        {"RCX", uint64_t(r[REG_RCX])}, {"RDX", uint64_t(r[REG_RDX])},
        {"RSI", uint64_t(r[REG_RSI])}, {"RDI", uint64_t(r[REG_RDI])},
        {"RSP", uint64_t(r[REG_RSP])}, {"RBP", uint64_t(r[REG_RBP])},
        {"R8", uint64_t(r[REG_R8])},   {"R9", uint64_t(r[REG_R9])},
        {"R10", uint64_t(r[REG_R10])}, {"R11", uint64_t(r[REG_R11])},
        {"R12", uint64_t(r[REG_R12])}, {"R13", uint64_t(r[REG_R13])},
        {"R14", uint64_t(r[REG_R14])}, {"R15", uint64_t(r[REG_R15])},
        {"RIP", uint64_t(r[REG_RIP])}, {"RFlags", uint64_t(r[REG_EFL])},
    };
    appendRegisters(text, registers, int(sizeof registers / sizeof registers[0]));
}
#else
// Other processors: the report keeps its layout, without registers.
MachineState machineState(const ucontext_t *)
{
    return MachineState();
}

void appendRegistersOf(ReportText &text, const ucontext_t *)
{
    appendRegisters(text, nullptr, 0);
}
#endif

// What needs no stack: system, process, thread, fault, registers and the modules.
void appendHead(ReportText &text, int signal, const siginfo_t *info, const ucontext_t *context)
{
    appendSystemVersion(text);
    appendProcessPath(text);
    appendThread(text);

    const MachineState state = machineState(context);
    Mapping mapping;
    uint8_t instruction[kInstructionBytes];
    FaultFacts fault;
    fault.address = state.pc;
    fault.module = findMapping(state.pc, mapping) ? moduleOf(mapping) : nullptr;
    fault.code = uint32_t(signal);
    fault.codeName = signalName(signal);
    // Only a fault the kernel raised has a faulting address; SIGSEGV sent by kill() has none.
    if (signal == SIGSEGV && info && info->si_code > 0) {
        fault.access = state.access;
        fault.accessAddress = uint64_t(uintptr_t(info->si_addr));
    }
    if (signal == SIGABRT && g_haveExceptionNote)
        fault.note = g_exceptionNote;
    fault.instruction = instruction;
    fault.instructionBytes = 0;
    while (fault.instructionBytes < kInstructionBytes &&
           readMemory(state.pc + uintptr_t(fault.instructionBytes),
                      instruction + fault.instructionBytes, 1))
        ++fault.instructionBytes;
    appendFault(text, fault);
    appendRegistersOf(text, context);
    appendModules(text);
}

void makeFolders(char *path)
{
    for (char *p = path + 1; *p; ++p) {
        if (*p != '/')
            continue;
        *p = '\0';
        mkdir(path, 0700);
        *p = '/';
    }
}

int openReportFile()
{
    if (!g_reportPath[0])
        return -1;
    makeFolders(g_reportPath); // in case the folder went away since start-up
    return open(g_reportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
}

void writeAll(int fd, const ReportText &text)
{
    const char *p = text.data();
    size_t left = text.size();
    while (fd >= 0 && left > 0) {
        const ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        p += n;
        left -= size_t(n);
    }
}

void markUnseen()
{
    const int unseen = open(g_unseenPath, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (unseen >= 0)
        close(unseen);
}

// The head reaches the file before the stack is walked: whatever the walk meets, the report
// names the fault, the thread and the modules.
void writeReport(int signal, const siginfo_t *info, ucontext_t *context)
{
    const int fd = openReportFile();
    if (fd < 0)
        return;
    ReportText text(g_reportStorage, sizeof g_reportStorage);
    appendHead(text, signal, info, context);
    writeAll(fd, text);
    markUnseen();
    text.clear();
    appendCallStack(text, context);
    text.append("\n");
    writeAll(fd, text);
    close(fd);
}

void endWithDefaultAction(int signal)
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    // The signal stays blocked until the handler returns; then it takes its default action
    // (a fault re-executes the faulting instruction and ends the same way).
    raise(signal);
}

void onFatalSignal(int signal, siginfo_t *info, void *context)
{
    const int savedErrno = errno;
    const pid_t self = gettid();
    pid_t expected = 0;
    if (!g_reportingThread.compare_exchange_strong(expected, self)) {
        // A fault while reporting: the walk of a broken stack ends, or else the report stops
        // where it is. Another thread's fault: the reporting thread ends the process shortly.
        if (expected == self) {
            leaveStackWalk();
            endWithDefaultAction(signal);
            return;
        }
        for (;;)
            pause();
    }
    writeReport(signal, info, static_cast<ucontext_t *>(context));
    endWithDefaultAction(signal);
    errno = savedErrno;
}

// Runs outside any signal handler, before abort(): it names the exception for the SIGABRT
// report that follows.
[[noreturn]] void onTerminate()
{
    ReportText note(g_exceptionNote, sizeof g_exceptionNote);
    appendCurrentException(note);
    g_haveExceptionNote = true;
    std::abort();
}

// Where Qt's AppLocalDataLocation is for a program without organisation name:
// $XDG_DATA_HOME, else $HOME/.local/share, then the executable's file name.
void resolveReportPath()
{
    ReportText path(g_reportPath, sizeof g_reportPath);
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    const char *home = std::getenv("HOME");
    if (dataHome && dataHome[0] == '/') {
        path.append(dataHome);
    } else if (home && home[0] == '/') {
        path.append(home);
        path.append("/.local/share");
    } else {
        path.clear();
        return;
    }
    char exe[1024];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) {
        path.clear();
        return;
    }
    exe[n] = '\0';
    const char *name = exe;
    for (const char *p = exe; *p; ++p)
        if (*p == '/')
            name = p + 1;
    path.append("/");
    path.append(name);
    path.append("/crash.log");
    ReportText unseen(g_unseenPath, sizeof g_unseenPath);
    unseen.append(g_reportPath);
    unseen.append(".new");
    if (path.size() + 1 >= sizeof g_reportPath || unseen.size() + 1 >= sizeof g_unseenPath) {
        path.clear();
        return;
    }
    makeFolders(g_reportPath);
}

void setAlternateStack(void *base, size_t size)
{
    stack_t stack = {};
    stack.ss_sp = base;
    stack.ss_size = size;
    sigaltstack(&stack, nullptr);
}

// A thread's own alternate stack, given back when the thread ends.
class ThreadStack
{
public:
    ThreadStack()
    {
        void *base = mmap(nullptr, kAlternateStackSize, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        if (base == MAP_FAILED)
            return;
        m_base = base;
        setAlternateStack(m_base, kAlternateStackSize);
    }
    ~ThreadStack()
    {
        if (!m_base)
            return;
        stack_t off = {};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
        munmap(m_base, kAlternateStackSize);
    }
    ThreadStack(const ThreadStack &) = delete;
    ThreadStack &operator=(const ThreadStack &) = delete;

private:
    void *m_base = nullptr;
};

} // namespace

// crash_threads_linux.cpp
void wrapThreadCreation();

void installCrashReporter()
{
    wrapThreadCreation();
    resolveReportPath();
    openMemoryProbe();
    primeUnwinder();
    setAlternateStack(g_alternateStack, sizeof g_alternateStack);

    struct sigaction action = {};
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kFatalSignals)
        sigaction(signal, &action, nullptr);
    std::set_terminate(onTerminate);
}

void prepareThread()
{
    thread_local ThreadStack stack;
    (void)stack;
}

const char *reportPath()
{
    return g_reportPath;
}

bool takeUnseenReport()
{
    return g_unseenPath[0] && unlink(g_unseenPath) == 0;
}

} // namespace crash
