// Windows: the process-wide unhandled-exception filter writes the report. It hands the work to a
// fresh thread, so that a stack overflow, which leaves the faulting thread almost no stack, is
// reported too. Uncaught C++ exceptions and abort() do not reach the filter by themselves: they
// capture their own context and call it directly.

#include "crash_reporter.h"
#include "crash_text.h"

#include <csignal>
#include <cstdlib>
#include <exception>

#include <windows.h>

#include <tlhelp32.h>

namespace crash {
namespace {

constexpr DWORD kUncaughtCppException = 0xE0435050; // our own code: 'C' 'P' 'P'
constexpr DWORD kAbortException = 0x40000015;       // STATUS_FATAL_APP_EXIT

char g_reportStorage[32 * 1024];
char g_exceptionNote[1024];
volatile std::sig_atomic_t g_haveExceptionNote = false;

void appendWide(ReportText &text, const wchar_t *wide)
{
    char utf8[MAX_PATH * 4];
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    if (n > 1)
        text.append(utf8, size_t(n - 1));
}

// The full path of the loaded module whose image holds the address, or an empty string.
bool modulePathForAddress(uint64_t address, wchar_t (&path)[MAX_PATH])
{
    path[0] = L'\0';
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32W module;
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &module); more && !found;
         more = Module32NextW(snapshot, &module)) {
        const uint64_t base = uint64_t(uintptr_t(module.modBaseAddr));
        if (base <= address && address < base + module.modBaseSize) {
            lstrcpynW(path, module.szExePath, MAX_PATH);
            found = true;
        }
    }
    CloseHandle(snapshot);
    return found;
}

void appendModule(ReportText &text, uint64_t address)
{
    wchar_t path[MAX_PATH];
    if (modulePathForAddress(address, path))
        appendWide(text, path);
}

void systemVersionText(ReportText &text)
{
    OSVERSIONINFOEXW version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&version))) {
        ZeroMemory(&version, sizeof version);
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&version));
    }
    DWORD build = version.dwBuildNumber;
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        build &= 0xFFFF;
    text.append("Windows:  ");
    text.appendDecimal(version.dwMajorVersion);
    text.append(".");
    text.appendDecimal(version.dwMinorVersion);
    text.append(".");
    text.appendDecimal(build);
    text.append(", SP ");
    text.appendDecimal(version.wServicePackMajor);
    text.append(".");
    text.appendDecimal(version.wServicePackMinor);
    text.append(", Product Type ");
    text.appendDecimal(version.wProductType);
    text.append("\n");
}

// Executable memory, as IsBadCodePtr says, and mapped with an execute right (IsBadCodePtr alone
// accepts any readable page).
bool isCode(uint64_t address)
{
    const void *p = reinterpret_cast<const void *>(uintptr_t(address));
    MEMORY_BASIC_INFORMATION info;
    constexpr DWORD kExecutable =
        PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return !IsBadCodePtr(reinterpret_cast<FARPROC>(uintptr_t(address))) &&
           VirtualQuery(p, &info, sizeof info) == sizeof info && (info.Protect & kExecutable);
}

// x64 code keeps no frame-pointer chain (compilers use the frame pointer, if at all, at any
// offset), so the walk follows the unwind tables of the images, as debuggers do. Every step is
// probed first: an unreadable stack or a return address outside code ends the list.
void callStackText(ReportText &text, const CONTEXT *faultContext)
{
    appendStackHeader(text);
    if (!faultContext)
        return;
    static CONTEXT context; // only the reporting thread gets here
    context = *faultContext;
    for (int frame = 0; frame < kMaxStackFrames && isCode(context.Rip); ++frame) {
        appendStackFrame(text, context.Rip, nullptr);
        appendModule(text, context.Rip);
        const DWORD64 sp = context.Rsp;
        if (IsBadReadPtr(reinterpret_cast<const void *>(uintptr_t(sp)), 256))
            break;
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (function) {
            void *handlerData = nullptr;
            DWORD64 establisherFrame = 0;
            RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context,
                             &handlerData, &establisherFrame, nullptr);
        } else { // a leaf function: the return address is on top of the stack
            context.Rip = *reinterpret_cast<const DWORD64 *>(uintptr_t(sp));
            context.Rsp = sp + sizeof(DWORD64);
        }
        if (context.Rsp <= sp)
            break;
    }
}

void buildCrashReport(ReportText &text, EXCEPTION_POINTERS *pointers)
{
    systemVersionText(text);
    text.append("Process:  ");
    wchar_t process[MAX_PATH];
    if (GetModuleFileNameW(nullptr, process, MAX_PATH))
        appendWide(text, process);
    text.append("\n");

    const EXCEPTION_RECORD *record = pointers ? pointers->ExceptionRecord : nullptr;
    const CONTEXT *context = pointers ? pointers->ContextRecord : nullptr;
    if (record && context) {
        wchar_t module[MAX_PATH];
        char moduleUtf8[MAX_PATH * 4];
        ReportText moduleText(moduleUtf8, sizeof moduleUtf8);
        const uint64_t address = uint64_t(uintptr_t(record->ExceptionAddress));
        if (modulePathForAddress(address, module))
            appendWide(moduleText, module);

        uint8_t instruction[kInstructionBytes];
        FaultFacts fault;
        fault.address = address;
        fault.module = moduleText.data();
        fault.code = record->ExceptionCode;
        if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
            fault.access =
                record->ExceptionInformation[0] ? FaultFacts::WriteAccess : FaultFacts::ReadAccess;
            fault.accessAddress = record->ExceptionInformation[1];
        }
        if (record->ExceptionCode == kUncaughtCppException && g_haveExceptionNote)
            fault.note = g_exceptionNote;
        if (!IsBadReadPtr(record->ExceptionAddress, kInstructionBytes)) {
            CopyMemory(instruction, record->ExceptionAddress, kInstructionBytes);
            fault.instruction = instruction;
            fault.instructionBytes = kInstructionBytes;
        }
        appendFault(text, fault);

        const NamedRegister registers[] = {
            {"RAX", context->Rax}, {"RBX", context->Rbx}, {"RCX", context->Rcx},
            {"RDX", context->Rdx}, {"RSI", context->Rsi}, {"RDI", context->Rdi},
            {"RSP", context->Rsp}, {"RBP", context->Rbp}, {"R8", context->R8},
            {"R9", context->R9},   {"R10", context->R10}, {"R11", context->R11},
            {"R12", context->R12}, {"R13", context->R13}, {"R14", context->R14},
            {"R15", context->R15}, {"RIP", context->Rip}, {"RFlags", context->EFlags},
        };
        appendRegisters(text, registers, int(sizeof registers / sizeof registers[0]));
    }
    callStackText(text, context);
    text.append("\n");
}

// Current directory + "\MyApp\crash.log", the folder made if missing, an earlier report replaced.
void writeReportFile(const ReportText &text)
{
    wchar_t path[MAX_PATH + 32];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, path);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcatW(path, L"\\MyApp");
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryW(path, nullptr);
    lstrcatW(path, L"\\crash.log");
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
}

DWORD WINAPI reportThread(void *pointers)
{
    ReportText text(g_reportStorage, sizeof g_reportStorage);
    buildCrashReport(text, static_cast<EXCEPTION_POINTERS *>(pointers));
    writeReportFile(text);
    return 0;
}

LONG WINAPI crashFilter(EXCEPTION_POINTERS *pointers)
{
    HANDLE thread = CreateThread(nullptr, 256 * 1024, reportThread, pointers, 0, nullptr);
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    } else {
        reportThread(pointers);
    }
    return EXCEPTION_EXECUTE_HANDLER;
}

// Reports a fatal condition that is not a processor exception, at the caller's own context (so
// that the call stack leads back into the program), then ends the process as the filter would.
[[noreturn]] void reportAndTerminate(DWORD code)
{
    static CONTEXT context;
    static EXCEPTION_RECORD record;
    RtlCaptureContext(&context);
    record.ExceptionCode = code;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    record.ExceptionAddress = reinterpret_cast<void *>(uintptr_t(context.Rip));
    EXCEPTION_POINTERS pointers = {&record, &context};
    crashFilter(&pointers);
    TerminateProcess(GetCurrentProcess(), code);
    for (;;)
        Sleep(INFINITE);
}

// Names the exception for the report.
[[noreturn]] void onTerminate()
{
    ReportText note(g_exceptionNote, sizeof g_exceptionNote);
    appendCurrentException(note);
    g_haveExceptionNote = true;
    reportAndTerminate(kUncaughtCppException);
}

void onAbort(int)
{
    reportAndTerminate(kAbortException);
}

} // namespace

void installCrashReporter()
{
    // Room for the filter to run after a stack overflow has used up the guard page.
    ULONG guarantee = 64 * 1024;
    SetThreadStackGuarantee(&guarantee);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(crashFilter);
    std::set_terminate(onTerminate);
    std::signal(SIGABRT, onAbort);
}

} // namespace crash
