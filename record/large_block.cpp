#include "record/large_block.h"

#include <QtGlobal>

#include <cstdint>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX) && !defined(MADV_COLLAPSE)
#define MADV_COLLAPSE 25 // since Linux 6.1
#endif

namespace large_block {
namespace {
std::size_t wholeBlocks(std::size_t bytes)
{
    return (bytes + kBytes - 1) / kBytes * kBytes;
}
} // namespace

void *allocate(std::size_t bytes, bool hugePages)
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
    // A hint either way, fine if refused; without it a system that gives huge pages to all
    // would back a filling table's block whole at its first row.
    madvise(reinterpret_cast<void *>(aligned), size, hugePages ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
#else
    Q_UNUSED(hugePages)
#endif
    return reinterpret_cast<void *>(aligned);
#else
    Q_UNUSED(hugePages)
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

void settle(void *block) noexcept
{
#ifdef MADV_HUGEPAGE
    madvise(block, kBytes, MADV_HUGEPAGE);
#endif
#ifdef MADV_COLLAPSE
    // A copy of the block, a few milliseconds once per block. Done in a thread of its own, the
    // writes to the next block would wait as long, for the memory map. Refused without huge
    // pages to give: the block is left as it is.
    madvise(block, kBytes, MADV_COLLAPSE);
#endif
#if !defined(MADV_HUGEPAGE) && !defined(MADV_COLLAPSE)
    Q_UNUSED(block)
#endif
}

std::size_t inPages(std::size_t bytes)
{
#ifdef Q_OS_UNIX
    static const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
#else
    constexpr std::size_t page = 4096;
#endif
    return (bytes + page - 1) / page * page;
}

} // namespace large_block
