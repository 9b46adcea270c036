// The walk uses the unwind tables (.eh_frame) through the signal frame, as a debugger does, and
// falls back to the frame-pointer chain where they give no caller. A bad program counter (a call
// through a broken pointer) has no tables: the call left the return address on top of the stack,
// so the walk starts again from there.

#include "crash/crash_stack_linux.h"
#include "crash/crash_memory_linux.h"

#include <csetjmp>
#include <csignal>
#include <unwind.h>

namespace crash {
namespace {

#if defined(__x86_64__)
uintptr_t registerOf(const ucontext_t *c, int index)
{
    return uintptr_t(c->uc_mcontext.gregs[index]);
}

void setPcAndSp(ucontext_t *c, uintptr_t pc, uintptr_t sp)
{
    c->uc_mcontext.gregs[REG_RIP] = greg_t(pc);
    c->uc_mcontext.gregs[REG_RSP] = greg_t(sp);
}
#endif

constexpr int kMaxModules = 256;
constexpr int kUnwoundCapacity = kMaxStackFrames + 32; // room for the handler's own frames

// Only the one reporting thread gets here.
Image g_modules[kMaxModules];
int g_moduleCount = 0;

// A fault while the unwinder reads a broken stack comes back here and ends the walk.
sigjmp_buf g_walkEscape;
volatile std::sig_atomic_t g_walking = false;

bool isCode(uintptr_t address)
{
    Mapping mapping;
    return findMapping(address, mapping) && mapping.executable;
}

// The listed image, or one listed now when the list missed it.
const Image *moduleFor(const Mapping &mapping)
{
    const char *path = moduleOf(mapping);
    if (!path)
        return nullptr;
    for (int i = 0; i < g_moduleCount; ++i)
        if (g_modules[i].start == mapping.imageStart)
            return &g_modules[i];
    if (g_moduleCount == kMaxModules)
        return nullptr;
    Image &module = g_modules[g_moduleCount];
    if (!imageFacts(mapping.imageStart, module.facts))
        return nullptr;
    module.start = mapping.imageStart;
    for (size_t n = 0; n < sizeof module.path; ++n)
        module.path[n] = path[n];
    ++g_moduleCount;
    return &module;
}

void appendFrame(ReportText &text, uintptr_t address)
{
    Mapping mapping;
    if (!findMapping(address, mapping)) {
        appendStackFrame(text, address, nullptr);
        return;
    }
    appendStackFrame(text, address, moduleOf(mapping));
    if (const Image *module = moduleFor(mapping))
        appendModuleOffset(text, address - module->facts.bias);
}

struct Unwound
{
    uintptr_t ip[kUnwoundCapacity];
    int count = 0;
};

_Unwind_Reason_Code collect(struct _Unwind_Context *context, void *argument)
{
    auto &unwound = *static_cast<Unwound *>(argument);
    int beforeInstruction = 0;
    unwound.ip[unwound.count++] = uintptr_t(_Unwind_GetIPInfo(context, &beforeInstruction));
    return unwound.count < kUnwoundCapacity ? _URC_NO_REASON : _URC_END_OF_STACK;
}

// The frames beyond the signal frame, from the given program counter outward.
int unwindFrom(uintptr_t pc, uintptr_t *out, int capacity)
{
    static Unwound unwound;
    unwound.count = 0;
    _Unwind_Backtrace(collect, &unwound);
    int at = 0;
    while (at < unwound.count && unwound.ip[at] != pc)
        ++at;
    int n = 0;
    // The outermost frame (the thread's start) reports no return address.
    for (; at < unwound.count && n < capacity && unwound.ip[at]; ++at)
        out[n++] = unwound.ip[at];
    return n;
}

// The frame-pointer chain: each frame record holds the caller's frame pointer and the return
// address into the caller. Code built without frame pointers breaks the chain; the walk then
// looks further up the stack for the next record whose saved frame pointer climbs the stack and
// whose return address lies in code. Everything is probed before it is read.
class FramePointerWalk
{
public:
    explicit FramePointerWalk(uintptr_t sp) : m_sp(sp)
    {
        Mapping stack;
        m_top = findMapping(sp, stack) ? stack.end : sp + kFallbackReach;
    }

    int collect(uintptr_t fp, uintptr_t *out, int capacity)
    {
        int n = 0;
        uintptr_t at = isRecord(fp, false) ? fp : nextRecord(m_sp);
        while (at && n < capacity) {
            out[n++] = m_record[1];
            const uintptr_t saved = m_record[0];
            at = saved > at && isRecord(saved, false) ? saved : nextRecord(at + sizeof m_record);
        }
        return n;
    }

private:
    static constexpr uintptr_t kFallbackReach = 1024 * 1024;

    bool isRecord(uintptr_t at, bool mustClimb)
    {
        return at % sizeof(uintptr_t) == 0 && at >= m_sp && at < m_top - sizeof m_record &&
               readMemory(at, m_record, sizeof m_record) &&
               (!mustClimb || (m_record[0] > at && m_record[0] < m_top)) && isCode(m_record[1]);
    }

    uintptr_t nextRecord(uintptr_t from)
    {
        for (uintptr_t at = from; at < m_top - sizeof m_record; at += sizeof(uintptr_t))
            if (isRecord(at, true))
                return at;
        return 0;
    }

    uintptr_t m_record[2] = {};
    const uintptr_t m_sp;
    uintptr_t m_top;
};

_Unwind_Reason_Code ignore(struct _Unwind_Context *, void *)
{
    return _URC_NO_REASON;
}

} // namespace

void primeUnwinder()
{
    _Unwind_Backtrace(ignore, nullptr);
}

void appendModules(ReportText &text)
{
    g_moduleCount = listImages(g_modules, kMaxModules);
    text.append("\nModules:");
    for (int i = 0; i < g_moduleCount; ++i)
        appendModuleLine(text, g_modules[i].path, g_modules[i].facts.buildId);
}

void leaveStackWalk()
{
    if (!g_walking)
        return;
    g_walking = false;
    siglongjmp(g_walkEscape, 1);
}

#if defined(__x86_64__)
void appendCallStack(ReportText &text, ucontext_t *context)
{
    appendStackHeader(text);
    static uintptr_t frames[kMaxStackFrames];
    static int count;
    count = 0;
    const uintptr_t pc = registerOf(context, REG_RIP);
    const uintptr_t sp = registerOf(context, REG_RSP);
    uintptr_t top = 0;
    const bool stackReadable = readMemory(sp, &top, sizeof top);
    uintptr_t resumeAt = pc;
    if (!isCode(pc)) {
        frames[count++] = pc;
        resumeAt = stackReadable && isCode(top) ? top : 0;
    }
    bool broken = false;
    if (resumeAt && sigsetjmp(g_walkEscape, 1) == 0) {
        // The unwinder reads the stack directly; a fault in it (the fatal signals are let
        // through meanwhile) jumps back and ends the walk with the frames found so far.
        sigset_t faults, before;
        sigemptyset(&faults);
        sigaddset(&faults, SIGSEGV);
        sigaddset(&faults, SIGBUS);
        g_walking = true;
        pthread_sigmask(SIG_UNBLOCK, &faults, &before);
        // The unwinder reads the interrupted state from this context: let it start at the caller.
        setPcAndSp(context, resumeAt, sp + (resumeAt == pc ? 0 : sizeof(uintptr_t)));
        const int found = unwindFrom(resumeAt, frames + count, kMaxStackFrames - count);
        g_walking = false;
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        if (found >= 2)
            count += found;
    } else if (resumeAt) {
        broken = true; // the signal mask is back as it was at sigsetjmp
    }
    setPcAndSp(context, pc, sp);
    const bool unwound = !broken && count >= 2;
    if (resumeAt && !unwound) {
        // No tables to follow: the frame-pointer chain, which reads only what it has probed.
        // Above a smashed stack pointer the chain may still hold the callers.
        uintptr_t fp = registerOf(context, REG_RBP), word = 0;
        const uintptr_t from = stackReadable || !readMemory(fp, &word, sizeof word) ? sp : fp;
        count = resumeAt == pc ? 0 : 1;
        frames[count++] = resumeAt;
        count += FramePointerWalk(from).collect(fp, frames + count, kMaxStackFrames - count);
    }
    for (int i = 0; i < count; ++i)
        appendFrame(text, frames[i]);
    if (!stackReadable && !unwound) {
        text.append("\n(stack unreadable at RSP ");
        text.appendHex(sp, 16);
        text.append(")");
    } else if (broken) {
        text.append("\n(the unwind tables led into unreadable memory; frame pointers followed)");
    }
}
#else
// Other processors: the report keeps its layout, without frames.
void appendCallStack(ReportText &text, ucontext_t *)
{
    appendStackHeader(text);
}
#endif

} // namespace crash
