#include "large_block.h"

#include <QtGlobal>

#include <cstdint>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#endif

namespace large_block {
namespace {
std::size_t wholeBlocks(std::size_t bytes)
{
    return (bytes + kBytes - 1) / kBytes * kBytes;
}
} // namespace

void *allocate(std::size_t bytes)
{
    const std::size_t size = wholeBlocks(bytes);
#ifdef Q_OS_UNIX
    // A block more than asked mapped, then the unaligned ends unmapped, leaves aligned blocks.
    const std::size_t span = size + kBytes;
    void *mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kBytes - 1) & ~std::uintptr_t(kBytes - 1);
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (start + span > aligned + size)
        munmap(reinterpret_cast<void *>(aligned + size), start + span - aligned - size);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void *>(aligned), size, MADV_HUGEPAGE); // a hint: fine if refused
#endif
    return reinterpret_cast<void *>(aligned);
#else
    return ::operator new(size, std::align_val_t(kBytes));
#endif
}

void release(void *memory, std::size_t bytes) noexcept
{
    if (!memory)
        return;
#ifdef Q_OS_UNIX
    munmap(memory, wholeBlocks(bytes));
#else
    ::operator delete(memory, std::align_val_t(kBytes));
#endif
}

} // namespace large_block
