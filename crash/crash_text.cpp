#include "crash/crash_text.h"

#include <cstdlib>
#include <exception>
#include <typeinfo>
#if defined(__GNUC__)
#include <cxxabi.h>
#endif

namespace crash {

ReportText::ReportText(char *storage, size_t capacity) : m_data(storage), m_capacity(capacity)
{
    clear();
}

void ReportText::clear()
{
    m_size = 0;
    if (m_capacity > 0)
        m_data[0] = '\0';
}

void ReportText::append(const char *text, size_t length)
{
    // One byte stays free for the terminating NUL; what does not fit is cut off.
    for (size_t i = 0; i < length && m_size + 1 < m_capacity; ++i)
        m_data[m_size++] = text[i];
    if (m_capacity > 0)
        m_data[m_size] = '\0';
}

void ReportText::append(const char *text)
{
    if (!text)
        return;
    size_t length = 0;
    while (text[length])
        ++length;
    append(text, length);
}

void ReportText::appendHex(uint64_t value, int digits)
{
    char out[16];
    if (digits > 16)
        digits = 16;
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = "0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    }
    append(out, size_t(digits));
}

void ReportText::appendDecimal(uint64_t value)
{
    char out[20];
    int n = 0;
    do {
        out[sizeof out - 1 - n++] = char('0' + value % 10);
        value /= 10;
    } while (value && n < int(sizeof out));
    append(out + sizeof out - n, size_t(n));
}

void appendFault(ReportText &text, const FaultFacts &fault)
{
    text.append("Exception Addr:  ");
    text.appendHex(fault.address, 16);
    text.append("  ");
    if (fault.module && fault.module[0]) {
        text.append(" Module: ");
        text.append(fault.module);
    }
    text.append("\nException Code:  ");
    text.appendHex(fault.code, 8);
    if (fault.codeName) {
        text.append("  ");
        text.append(fault.codeName);
    }
    text.append("\n");
    if (fault.access != FaultFacts::NoAccess) {
        const char *const names[] = {"", "Read", "Write", "Execute"};
        text.append(names[fault.access]);
        text.append(" Address:  ");
        text.appendHex(fault.accessAddress, 16);
        text.append("\n");
    }
    if (fault.note) {
        text.append("C++ Exception:  ");
        text.append(fault.note);
        text.append("\n");
    }
    text.append("Instruction: ");
    for (int i = 0; i < fault.instructionBytes && i < kInstructionBytes; ++i) {
        text.append(" ");
        text.appendHex(fault.instruction[i], 2);
    }
    if (fault.instructionBytes <= 0)
        text.append(" (unreadable)");
}

void appendRegisters(ReportText &text, const NamedRegister *registers, int count)
{
    text.append("\nRegisters: ");
    for (int i = 0; i < count; ++i) {
        text.append(i % 4 == 0 ? "\n" : "  ");
        text.append(registers[i].name);
        text.append(":");
        // Short names are padded so that the columns line up: "R8:  " like "RAX: ".
        size_t length = 0;
        while (registers[i].name[length])
            ++length;
        text.append("    ", length < 3 ? 4 - length : 1);
        text.appendHex(registers[i].value, 16);
    }
}

void appendCurrentException(ReportText &text)
{
    const std::exception_ptr current = std::current_exception();
    if (!current) {
        text.append("none, std::terminate() called directly");
        return;
    }
#if defined(__GNUC__)
    if (const std::type_info *type = abi::__cxa_current_exception_type()) {
        int status = 0;
        char *readable = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
        text.append(readable ? readable : type->name());
        std::free(readable);
    }
#endif
    try {
        std::rethrow_exception(current);
    } catch (const std::exception &e) {
#if !defined(__GNUC__)
        text.append(typeid(e).name());
#endif
        text.append(", what(): ");
        text.append(e.what());
    } catch (...) {
    }
}

void appendStackFrame(ReportText &text, uint64_t returnAddress, const char *module)
{
    text.append("\n");
    text.appendHex(returnAddress, 16);
    text.append("  ");
    text.append(module);
}

void appendModuleOffset(ReportText &text, uint64_t offset)
{
    int digits = 1;
    while (digits < 16 && (offset >> (4 * digits)) != 0)
        ++digits;
    text.append(" +0x");
    text.appendHex(offset, digits);
}

void appendModuleLine(ReportText &text, const char *module, const char *buildId)
{
    text.append("\n");
    text.append(module);
    text.append("  build-id ");
    text.append(buildId && buildId[0] ? buildId : "none");
}

void appendStackHeader(ReportText &text)
{
    text.append("\nCall Stack:");
}

} // namespace crash
