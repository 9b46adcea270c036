#pragma once
// The crash report's text, assembled in a buffer reserved in advance. Nothing here (except
// appendCurrentException, meant for terminate handlers) allocates, locks or touches stdio or the
// locale, so it is usable inside a signal handler or an exception filter, and it builds on every
// platform without Qt.

#include <cstddef>
#include <cstdint>

namespace crash {

class ReportText
{
public:
    ReportText(char *storage, size_t capacity);
    void clear();
    void append(const char *text);
    void append(const char *text, size_t length);
    void appendHex(uint64_t value, int digits); // upper case, zero-padded
    void appendDecimal(uint64_t value);
    const char *data() const { return m_data; }
    size_t size() const { return m_size; }

private:
    char *m_data;
    size_t m_capacity;
    size_t m_size = 0;
};

// What the exception record says about a fault, in the report's order.
struct FaultFacts
{
    enum Access
    {
        NoAccess,
        ReadAccess,
        WriteAccess,
        ExecuteAccess // an instruction fetched from memory that may not run (DEP, NX)
    };

    uint64_t address = 0;           // instruction at which it happened
    const char *module = nullptr;   // image holding that instruction, or null
    uint32_t code = 0;              // exception code (signal number on POSIX systems)
    const char *codeName = nullptr; // optional name printed after the code
    Access access = NoAccess;       // only for access violations
    uint64_t accessAddress = 0;     // the inaccessible address
    const char *note = nullptr;     // an uncaught C++ exception, or null
    const uint8_t *instruction = nullptr;
    int instructionBytes = 0; // how many bytes at the address could be read (up to 16)
};

struct NamedRegister
{
    const char *name;
    uint64_t value;
};

constexpr int kInstructionBytes = 16;
constexpr int kMaxStackFrames = 64;

// "Exception Addr:" up to the last instruction byte.
void appendFault(ReportText &text, const FaultFacts &fault);
// "\nRegisters: " and the registers, four to a line, 16 hex digits each.
void appendRegisters(ReportText &text, const NamedRegister *registers, int count);
// "\nCall Stack:", then one line per frame.
void appendStackHeader(ReportText &text);
// One line of the call stack: return address and the module that holds it.
void appendStackFrame(ReportText &text, uint64_t returnAddress, const char *module);
// After a frame's module: " +0x" and the address as it is in the module's file, for symbolising.
void appendModuleOffset(ReportText &text, uint64_t offset);
// One line of the "Modules:" list: the module and its build-id, by which its debug information
// is found.
void appendModuleLine(ReportText &text, const char *module, const char *buildId);
// The type and what() of the exception being handled, for a terminate handler. Not for signal
// handlers: it may allocate.
void appendCurrentException(ReportText &text);

} // namespace crash
