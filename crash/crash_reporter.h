#pragma once
// Writes "crash.log" into the program's data folder when the process dies of a fault or an
// uncaught C++ exception, then lets it end as it would have without the reporter. The folder is
// the one Qt calls AppLocalDataLocation for a program without organisation name: on Linux
// $XDG_DATA_HOME (or ~/.local/share) + "/<program>", on Windows %LOCALAPPDATA%\<program>.
// Free of Qt, so that it can be installed before anything else and built on its own.

namespace crash {

// Call first thing in main(). Resolves the report's path and reserves everything the report
// needs (buffers, alternate stack, the unwinder's tables) so that writing it later needs no
// allocation.
void installCrashReporter();

// Gives the calling thread the stack that a report of its own stack overflow runs on; undone
// when the thread ends. Every thread of the process, also those libraries start, gets it as it
// starts; call it only on a thread that started before installCrashReporter().
void prepareThread();

// Where the report goes (UTF-8), or an empty string when no folder could be resolved.
const char *reportPath();

// True once after a crash: the report was written since the last call (by any run).
bool takeUnseenReport();

} // namespace crash
