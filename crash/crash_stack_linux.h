#pragma once
// The call stack of a Linux crash report: every frame as address, module and offset in the
// module's file, then each module once with its build-id, so that the report can be symbolised
// against the debug information kept apart from the program.

#include "crash/crash_text.h"

#include <ucontext.h>

namespace crash {

// Runs the unwinder once outside any handler, so that nothing it needs is loaded lazily (and
// under the loader's lock) inside one.
void primeUnwinder();

// "\nCall Stack:" with the frames from the faulting instruction outward, and "\nModules:".
// The context may be adjusted while the stack is walked; it is as before on return.
void appendCallStack(ReportText &text, ucontext_t *context);

} // namespace crash
