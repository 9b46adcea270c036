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

// "\nModules:" and each image mapped in the process with its build-id; needs no stack.
void appendModules(ReportText &text);

// "\nCall Stack:" with the frames from the faulting instruction outward. Stack memory is read
// without faulting; a fault inside the unwinder (which reads it directly) only ends its part of
// the walk. The context may be adjusted meanwhile; it is as before on return.
void appendCallStack(ReportText &text, ucontext_t *context);

// For the fatal-signal handler, on a fault of the reporting thread: if it happened while the
// stack was walked, goes back into appendCallStack; otherwise returns.
void leaveStackWalk();

} // namespace crash
