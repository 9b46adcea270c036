#pragma once
// What a Linux crash report knows about the process's memory, found without allocating, locking
// or touching memory that may be unmapped: safe inside a signal handler.

#include <cstddef>
#include <cstdint>

namespace crash {

// Opens the pipe through which memory is probed; once, before any report.
void openMemoryProbe();

// Copies memory that may be unmapped without touching it from user space (the kernel copies it
// into a pipe, and write() fails with EFAULT instead of faulting).
bool readMemory(uintptr_t address, void *out, size_t length);

// One line of /proc/self/maps, with the start of the image the line belongs to.
struct Mapping
{
    uintptr_t start = 0;
    uintptr_t end = 0;
    bool executable = false;
    uintptr_t imageStart = 0; // start of the image's first mapping (file offset 0)
    char path[512] = {};
};

// The mapping holding the address, read from /proc/self/maps through a fixed buffer: unlike
// dl_iterate_phdr, this takes no loader lock that a crashing thread might already hold, and
// unlike dladdr it never allocates.
bool findMapping(uintptr_t address, Mapping &out);

// Images only: a file path, or the kernel's vDSO; not [stack], [heap] or anonymous memory.
const char *moduleOf(const Mapping &mapping);

// The image's load bias (run-time address minus the address in the file), read from its ELF
// program headers, and its GNU build-id as lower-case hex ("" when it has none).
struct ImageFacts
{
    uintptr_t bias = 0;
    char buildId[2 * 64 + 1] = {};
};
bool imageFacts(uintptr_t imageStart, ImageFacts &out);

// A loaded image (the program, a library, the vDSO) as the report lists it.
struct Image
{
    uintptr_t start = 0;
    ImageFacts facts;
    char path[sizeof Mapping::path] = {};
};

// The ELF images mapped in the process, in address order, at most `capacity`.
int listImages(Image *out, int capacity);

} // namespace crash
