// Linux: the fatal signals are caught on an alternate stack (so that a stack overflow is reported
// too) and the report is written with async-signal-safe system calls only. Memory is probed by
// letting the kernel copy it into a pipe (write() fails with EFAULT instead of faulting), and
// modules come from /proc/self/maps read through a fixed buffer: unlike dl_iterate_phdr, this
// takes no loader lock that a crashing thread might already hold, and unlike dladdr it never
// allocates.

#include "crash_reporter.h"
#include "crash_text.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <ucontext.h>
#include <unistd.h>

namespace crash {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

alignas(16) char g_alternateStack[64 * 1024];
char g_reportStorage[32 * 1024];
char g_exceptionNote[1024];
volatile std::sig_atomic_t g_haveExceptionNote = false;
int g_probePipe[2] = {-1, -1};
std::atomic<pid_t> g_reportingThread{0};

// Copies memory that may be unmapped without touching it from user space.
bool readMemory(uintptr_t address, void *out, size_t length)
{
    if (g_probePipe[1] < 0)
        return false;
    const ssize_t copied = write(g_probePipe[1], reinterpret_cast<const void *>(address), length);
    if (copied <= 0)
        return false;
    const ssize_t drained = read(g_probePipe[0], out, size_t(copied));
    return copied == ssize_t(length) && drained == copied;
}

struct Mapping
{
    uintptr_t start = 0;
    uintptr_t end = 0;
    bool executable = false;
    char path[512] = {};
};

uintptr_t parseHex(const char *&p)
{
    uintptr_t value = 0;
    for (;; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9')
            value = value * 16 + uintptr_t(c - '0');
        else if (c >= 'a' && c <= 'f')
            value = value * 16 + uintptr_t(c - 'a' + 10);
        else
            return value;
    }
}

// One line of /proc/self/maps: "start-end perms offset dev inode   path".
bool parseMapping(const char *line, Mapping &out)
{
    const char *p = line;
    out.start = parseHex(p);
    if (*p++ != '-')
        return false;
    out.end = parseHex(p);
    if (*p++ != ' ')
        return false;
    out.executable = p[0] && p[1] && p[2] == 'x';
    for (int field = 0; field < 4 && *p; ++field) { // perms, offset, dev, inode
        while (*p && *p != ' ')
            ++p;
        while (*p == ' ')
            ++p;
    }
    size_t n = 0;
    while (p[n] && n + 1 < sizeof out.path) {
        out.path[n] = p[n];
        ++n;
    }
    out.path[n] = '\0';
    return true;
}

bool findMapping(uintptr_t address, Mapping &out)
{
    const int fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char chunk[4096];
    char line[640];
    size_t lineLength = 0;
    bool found = false;
    ssize_t got;
    while (!found && (got = read(fd, chunk, sizeof chunk)) > 0) {
        for (ssize_t i = 0; i < got && !found; ++i) {
            if (chunk[i] != '\n') {
                if (lineLength + 1 < sizeof line)
                    line[lineLength++] = chunk[i];
                continue;
            }
            line[lineLength] = '\0';
            lineLength = 0;
            found = parseMapping(line, out) && out.start <= address && address < out.end;
        }
    }
    close(fd);
    return found;
}

// Images only: a file path, or the kernel's vDSO; not [stack], [heap] or anonymous memory.
const char *moduleOf(const Mapping &mapping)
{
    const char *path = mapping.path;
    const bool vdso = path[0] == '[' && path[1] == 'v' && path[2] == 'd';
    return path[0] == '/' || vdso ? path : nullptr;
}

bool isCode(uintptr_t address, Mapping &mapping)
{
    return findMapping(address, mapping) && mapping.executable;
}

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

struct MachineState
{
    uintptr_t pc = 0;
    uintptr_t sp = 0;
    uintptr_t fp = 0;
    bool writeFault = false;
};

#if defined(__x86_64__)
MachineState machineState(const ucontext_t *context)
{
    const greg_t *r = context->uc_mcontext.gregs;
    MachineState state;
    state.pc = uintptr_t(r[REG_RIP]);
    state.sp = uintptr_t(r[REG_RSP]);
    state.fp = uintptr_t(r[REG_RBP]);
    state.writeFault = (r[REG_ERR] & 2) != 0; // page-fault error code: bit 1 = write access
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
// Other processors: the report keeps its layout, without registers and call stack.
MachineState machineState(const ucontext_t *)
{
    return MachineState();
}

void appendRegistersOf(ReportText &text, const ucontext_t *)
{
    appendRegisters(text, nullptr, 0);
}
#endif

// The call stack follows the frame-pointer chain: each frame record holds the caller's frame
// pointer and the return address into the caller. Code built without frame pointers (the C
// library, Qt) breaks the chain; the walk then looks further up the stack for the next record
// whose saved frame pointer climbs the stack and whose return address lies in code, and goes on
// from there. Everything is probed before it is read; the walk never leaves the faulting stack.
class StackWalk
{
public:
    StackWalk(uintptr_t sp)
        : m_sp(sp), m_top(findMapping(sp, m_mapping) ? m_mapping.end : sp + kFallbackReach)
    {
    }

    void append(ReportText &text, uintptr_t pc, uintptr_t fp)
    {
        appendStackHeader(text);
        if (!appendIfCode(text, pc))
            return;
        uintptr_t top = 0;
        if (readMemory(m_sp, &top, sizeof top) && returnsFromCallTo(top, pc))
            appendIfCode(text, top);
        uintptr_t at = isRecord(fp, false) ? fp : nextRecord(m_sp);
        for (int frame = 1; at && frame < kMaxStackFrames; ++frame) {
            appendIfCode(text, m_record[1]);
            const uintptr_t saved = m_record[0];
            at = saved > at && isRecord(saved, false) ? saved : nextRecord(at + sizeof m_record);
        }
    }

private:
    static constexpr uintptr_t kFallbackReach = 1024 * 1024;

    // A small function that keeps no frame record leaves its return address on top of the stack.
    // Taken only when the instruction before it calls code at or shortly before the fault.
    static bool returnsFromCallTo(uintptr_t returnAddress, uintptr_t pc)
    {
#if defined(__x86_64__)
        uint8_t call[6];
        if (returnAddress < sizeof call ||
            !readMemory(returnAddress - sizeof call, call, sizeof call))
            return false;
        int32_t displacement;
        uintptr_t target = 0;
        if (call[1] == 0xE8) { // call rel32
            __builtin_memcpy(&displacement, call + 2, sizeof displacement);
            target = returnAddress + uintptr_t(intptr_t(displacement));
        } else if (call[0] == 0xFF && call[1] == 0x15) { // call [rip + disp32]
            __builtin_memcpy(&displacement, call + 2, sizeof displacement);
            if (!readMemory(returnAddress + uintptr_t(intptr_t(displacement)), &target,
                            sizeof target))
                return false;
        }
        return target && target <= pc && pc - target < 64 * 1024;
#else
        (void)returnAddress;
        (void)pc;
        return false;
#endif
    }

    bool appendIfCode(ReportText &text, uintptr_t address)
    {
        if (!isCode(address, m_mapping))
            return false;
        appendStackFrame(text, address, moduleOf(m_mapping));
        return true;
    }

    // Reads the record at the address into m_record if it looks like one.
    bool isRecord(uintptr_t at, bool mustClimb)
    {
        return at % sizeof(uintptr_t) == 0 && at >= m_sp && at < m_top - sizeof m_record &&
               readMemory(at, m_record, sizeof m_record) &&
               (!mustClimb || (m_record[0] > at && m_record[0] < m_top)) &&
               isCode(m_record[1], m_mapping);
    }

    uintptr_t nextRecord(uintptr_t from)
    {
        for (uintptr_t at = from; at < m_top - sizeof m_record; at += sizeof(uintptr_t))
            if (isRecord(at, true))
                return at;
        return 0;
    }

    Mapping m_mapping;
    uintptr_t m_record[2] = {};
    const uintptr_t m_sp;
    const uintptr_t m_top;
};

void buildReport(ReportText &text, int signal, const siginfo_t *info, const ucontext_t *context)
{
    appendSystemVersion(text);
    appendProcessPath(text);

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
        fault.access = state.writeFault ? FaultFacts::WriteAccess : FaultFacts::ReadAccess;
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
    StackWalk(state.sp).append(text, state.pc, state.fp);
    text.append("\n");
}

void writeReportFile(const ReportText &text)
{
    // Relative paths: the current working directory is meant, and getcwd() is not signal-safe.
    if (mkdir("MyApp", 0755) != 0 && errno != EEXIST)
        return;
    const int fd = open("MyApp/crash.log", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const char *p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        p += n;
        left -= size_t(n);
    }
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
        // A fault while reporting: give up the report. Another thread's fault: the reporting
        // thread ends the process shortly.
        if (expected == self) {
            endWithDefaultAction(signal);
            return;
        }
        for (;;)
            pause();
    }
    ReportText text(g_reportStorage, sizeof g_reportStorage);
    buildReport(text, signal, info, static_cast<const ucontext_t *>(context));
    writeReportFile(text);
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

} // namespace

void installCrashReporter()
{
    if (pipe2(g_probePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        g_probePipe[0] = g_probePipe[1] = -1;
    stack_t stack = {};
    stack.ss_sp = g_alternateStack;
    stack.ss_size = sizeof g_alternateStack;
    sigaltstack(&stack, nullptr);

    struct sigaction action = {};
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kFatalSignals)
        sigaction(signal, &action, nullptr);
    std::set_terminate(onTerminate);
}

} // namespace crash
