#pragma once
// Writes "MyApp/crash.log" under the current working directory when the process dies of a fault
// or an uncaught C++ exception, then lets it end as it would have without the reporter.
// Free of Qt, so that it can be installed before anything else and built on its own.

namespace crash {

// Call first thing in main(). Reserves everything the report needs (buffers, alternate stack)
// so that writing it later needs no allocation.
void installCrashReporter();

} // namespace crash
