// Windows: the process-wide unhandled-exception filter writes the report on the faulting thread,
// with no heap and no new thread (the heap's lock may be held by the crashed code); every thread
// of the program keeps a stack guarantee, so that a stack overflow leaves the filter room to run.
// The filter then passes the crash on, so that Windows Error Reporting still receives it.
// Uncaught C++ exceptions and abort() do not reach the filter by themselves: they capture their
// own context, call it directly and then fail fast, which reaches Windows Error Reporting too.

#include "crash/crash_reporter.h"
#include "crash/crash_text.h"

#include <csignal>
#include <cstdlib>
#include <exception>

#include <windows.h>
// After windows.h:
#include <psapi.h>

namespace crash {
namespace {

constexpr DWORD kUncaughtCppException = 0xE0435050; // our own code: 'C' 'P' 'P'
constexpr DWORD kAbortException = 0x40000015;       // STATUS_FATAL_APP_EXIT

constexpr ULONG kStackGuarantee = 64 * 1024;

char g_reportStorage[64 * 1024];
char g_exceptionNote[1024];
volatile std::sig_atomic_t g_haveExceptionNote = false;
wchar_t g_reportPath[MAX_PATH + 32];
wchar_t g_unseenPath[MAX_PATH + 40];
char g_reportPathUtf8[4 * (MAX_PATH + 32)];
LONG g_reporting = 0;

// RtlGetVersion tells the real version, unlike GetVersionExW in a program without a manifest.
using RtlGetVersionFunction = LONG(WINAPI *)(OSVERSIONINFOEXW *);
RtlGetVersionFunction g_rtlGetVersion = nullptr;

void appendWide(ReportText &text, const wchar_t *wide)
{
    char utf8[MAX_PATH * 4];
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    if (n > 1)
        text.append(utf8, size_t(n - 1));
}

// The full path of the loaded module whose image holds the address, or an empty string; the
// module's base address too. Asks the loader without taking a snapshot, which allocates.
bool modulePathForAddress(uint64_t address, wchar_t (&path)[MAX_PATH], uint64_t *base = nullptr)
{
    path[0] = L'\0';
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(uintptr_t(address)), &module) ||
        !GetModuleFileNameW(module, path, MAX_PATH))
        return false;
    if (base)
        *base = uint64_t(uintptr_t(module));
    return true;
}

// The module's path and the address's offset in its image, for symbolising.
void appendModule(ReportText &text, uint64_t address)
{
    wchar_t path[MAX_PATH];
    uint64_t base = 0;
    if (!modulePathForAddress(address, path, &base))
        return;
    appendWide(text, path);
    appendModuleOffset(text, address - base);
}

void systemVersionText(ReportText &text)
{
    OSVERSIONINFOEXW version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (g_rtlGetVersion)
        g_rtlGetVersion(&version);
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
    // A call through a broken pointer: nothing to unwind at the address, but the call left the
    // return address on top of the stack.
    if (!isCode(context.Rip) &&
        !IsBadReadPtr(reinterpret_cast<const void *>(uintptr_t(context.Rsp)), sizeof(DWORD64))) {
        const DWORD64 caller = *reinterpret_cast<const DWORD64 *>(uintptr_t(context.Rsp));
        if (isCode(caller)) {
            appendStackFrame(text, context.Rip, nullptr);
            context.Rip = caller;
            context.Rsp += sizeof(DWORD64);
        }
    }
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

// Reads a structure of a loaded image at base + offset, or fails.
template <typename T> bool readImage(uint64_t base, uint64_t offset, T &out)
{
    const void *at = reinterpret_cast<const void *>(uintptr_t(base + offset));
    if (IsBadReadPtr(at, sizeof out))
        return false;
    CopyMemory(&out, at, sizeof out);
    return true;
}

// The image's size and CodeView record (RSDS: the PDB's GUID, age and name), from the PE headers
// in memory, by which a debugger finds the matching PDB.
struct CodeView
{
    DWORD imageSize = 0;
    bool present = false;
    GUID guid = {};
    DWORD age = 0;
    char pdb[MAX_PATH] = {};
};

bool codeViewOf(uint64_t base, CodeView &out)
{
    IMAGE_DOS_HEADER dos;
    IMAGE_NT_HEADERS64 nt;
    if (!readImage(base, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
        !readImage(base, uint64_t(dos.e_lfanew), nt) || nt.Signature != IMAGE_NT_SIGNATURE ||
        nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return false;
    out.imageSize = nt.OptionalHeader.SizeOfImage;
    const IMAGE_DATA_DIRECTORY &debug =
        nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DEBUG];
    for (DWORD at = 0; at + sizeof(IMAGE_DEBUG_DIRECTORY) <= debug.Size;
         at += sizeof(IMAGE_DEBUG_DIRECTORY)) {
        IMAGE_DEBUG_DIRECTORY entry;
        if (!readImage(base, uint64_t(debug.VirtualAddress) + at, entry))
            return true;
        struct
        {
            DWORD signature;
            GUID guid;
            DWORD age;
        } record;
        if (entry.Type != IMAGE_DEBUG_TYPE_CODEVIEW || entry.AddressOfRawData == 0 ||
            entry.SizeOfData < sizeof record || !readImage(base, entry.AddressOfRawData, record) ||
            record.signature != 0x53445352) // "RSDS"
            continue;
        out.present = true;
        out.guid = record.guid;
        out.age = record.age;
        const DWORD nameLength = entry.SizeOfData - DWORD(sizeof record);
        for (DWORD i = 0; i + 1 < sizeof out.pdb && i < nameLength; ++i) {
            if (!readImage(base, uint64_t(entry.AddressOfRawData) + sizeof record + i, out.pdb[i]) ||
                !out.pdb[i])
                break;
        }
        return true;
    }
    return true;
}

// "\nModules:", then each loaded module with its base, size and CodeView record:
// "<path>  base <16 hex>  size <8 hex>  pdb <name>  guid <GUID>  age <n>", or "pdb none".
void appendModules(ReportText &text)
{
    text.append("\nModules:");
    static HMODULE modules[512]; // only the reporting thread gets here
    DWORD needed = 0;
    if (!K32EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &needed))
        return;
    const DWORD count = needed / sizeof(HMODULE) < 512 ? needed / sizeof(HMODULE) : 512;
    for (DWORD i = 0; i < count; ++i) {
        wchar_t path[MAX_PATH];
        if (!GetModuleFileNameW(modules[i], path, MAX_PATH))
            continue;
        const uint64_t base = uint64_t(uintptr_t(modules[i]));
        static CodeView codeView;
        codeView = CodeView();
        codeViewOf(base, codeView);
        text.append("\n");
        appendWide(text, path);
        text.append("  base ");
        text.appendHex(base, 16);
        text.append("  size ");
        text.appendHex(codeView.imageSize, 8);
        if (!codeView.present) {
            text.append("  pdb none");
            continue;
        }
        const GUID &g = codeView.guid;
        text.append("  pdb ");
        text.append(codeView.pdb[0] ? codeView.pdb : "(unnamed)");
        text.append("  guid ");
        text.appendHex(g.Data1, 8);
        text.append("-");
        text.appendHex(g.Data2, 4);
        text.append("-");
        text.appendHex(g.Data3, 4);
        text.append("-");
        text.appendHex(g.Data4[0], 2);
        text.appendHex(g.Data4[1], 2);
        text.append("-");
        for (int b = 2; b < 8; ++b)
            text.appendHex(g.Data4[b], 2);
        text.append("  age ");
        text.appendDecimal(codeView.age);
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
            // The first parameter: 0 read, 1 write, 8 execute (data execution prevention).
            const ULONG_PTR kind = record->ExceptionInformation[0];
            fault.access = kind == 8   ? FaultFacts::ExecuteAccess
                           : kind == 1 ? FaultFacts::WriteAccess
                                       : FaultFacts::ReadAccess;
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
    appendModules(text);
    callStackText(text, context);
    text.append("\n");
}

void writeReportFile(const ReportText &text)
{
    if (!g_reportPath[0])
        return;
    HANDLE file = CreateFileW(g_reportPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
    HANDLE unseen = CreateFileW(g_unseenPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (unseen != INVALID_HANDLE_VALUE)
        CloseHandle(unseen);
}

// Writes the report once (a second fault, on any thread, only passes on), then lets the crash
// go on to Windows Error Reporting and the process's end.
LONG WINAPI crashFilter(EXCEPTION_POINTERS *pointers)
{
    if (InterlockedCompareExchange(&g_reporting, 1, 0) == 0) {
        ReportText text(g_reportStorage, sizeof g_reportStorage);
        buildCrashReport(text, pointers);
        writeReportFile(text);
    }
    return EXCEPTION_CONTINUE_SEARCH;
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
    RaiseFailFastException(&record, &context, 0);
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

// %LOCALAPPDATA%\<program>\crash.log, the folder made now: Qt's AppLocalDataLocation for a
// program without organisation name.
void resolveReportPath()
{
    wchar_t folder[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, MAX_PATH);
    wchar_t exe[MAX_PATH];
    const DWORD exeLength = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || exeLength == 0 || exeLength >= MAX_PATH)
        return;
    wchar_t *name = exe;
    wchar_t *dot = nullptr;
    for (wchar_t *p = exe; *p; ++p) {
        if (*p == L'\\' || *p == L'/')
            name = p + 1, dot = nullptr;
        else if (*p == L'.')
            dot = p;
    }
    if (dot)
        *dot = L'\0';
    if (lstrlenW(folder) + lstrlenW(name) + 16 >= int(sizeof g_reportPath / sizeof(wchar_t)))
        return;
    lstrcpyW(g_reportPath, folder);
    lstrcatW(g_reportPath, L"\\");
    lstrcatW(g_reportPath, name);
    CreateDirectoryW(g_reportPath, nullptr);
    lstrcatW(g_reportPath, L"\\crash.log");
    lstrcpyW(g_unseenPath, g_reportPath);
    lstrcatW(g_unseenPath, L".new");
    WideCharToMultiByte(CP_UTF8, 0, g_reportPath, -1, g_reportPathUtf8, sizeof g_reportPathUtf8,
                        nullptr, nullptr);
}

// Every thread of the process, also those libraries start, keeps the stack guarantee: the
// loader calls the program's TLS callback as each thread starts.
void NTAPI onThreadEvent(PVOID, DWORD reason, PVOID)
{
    if (reason == DLL_THREAD_ATTACH)
        prepareThread();
}

} // namespace

#if defined(_MSC_VER)
#pragma comment(linker, "/INCLUDE:_tls_used")
#pragma comment(linker, "/INCLUDE:crash_threadStartCallback")
#pragma const_seg(".CRT$XLB")
extern "C" const PIMAGE_TLS_CALLBACK crash_threadStartCallback = onThreadEvent;
#pragma const_seg()
#else
extern "C" __attribute__((section(".CRT$XLB"), used)) const PIMAGE_TLS_CALLBACK
    crash_threadStartCallback = onThreadEvent;
#endif

void installCrashReporter()
{
    resolveReportPath();
    g_rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    prepareThread();
    SetErrorMode(SEM_FAILCRITICALERRORS);
    SetUnhandledExceptionFilter(crashFilter);
    std::set_terminate(onTerminate);
    std::signal(SIGABRT, onAbort);
}

void prepareThread()
{
    // Room for the filter to run after a stack overflow has used up the guard page.
    ULONG guarantee = kStackGuarantee;
    SetThreadStackGuarantee(&guarantee);
}

const char *reportPath()
{
    return g_reportPathUtf8;
}

bool takeUnseenReport()
{
    return g_unseenPath[0] && DeleteFileW(g_unseenPath);
}

} // namespace crash
