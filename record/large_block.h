#pragma once
// Memory for the run's tables in blocks of 2 MiB, aligned so that the kernel can back each with
// one huge page. The chart reads a long run at a few rows per pixel column, each column in pages
// of its own, so with 4 KiB pages nearly every read would first wait for a page walk. A table's
// block that is still
// filling keeps ordinary pages, held only as rows are written; once full it is handed to
// settle(), which moves it into a huge page.

#include <cstddef>
#include <memory>
#include <new>

namespace large_block {

constexpr std::size_t kBytes = std::size_t(2) << 20;

// `bytes` rounded up to whole blocks, its pages not yet touched; throws std::bad_alloc. With
// `hugePages`, the kernel backs each block with a huge page as it is first touched.
void *allocate(std::size_t bytes, bool hugePages);
void release(void *memory, std::size_t bytes) noexcept;
// Moves a filled block into a huge page now (where the system has them to give), and asks for one
// if it is ever paged out and back.
void settle(void *block) noexcept;
// `bytes` rounded up to whole ordinary pages: what a block still filling holds of them.
std::size_t inPages(std::size_t bytes);

struct Release
{
    template <class T> void operator()(T *object) const noexcept
    {
        object->~T();
        release(object, sizeof(T));
    }
};
template <class T> using Ptr = std::unique_ptr<T, Release>;

// A T of trivial construction made in a block of ordinary pages, its members left unwritten.
template <class T> Ptr<T> make()
{
    static_assert(sizeof(T) <= kBytes, "a block holds one object");
    return Ptr<T>(new (allocate(sizeof(T), false)) T);
}

// For a vector that grows to megabytes: from a block on, its storage is whole blocks.
template <class T> struct Allocator
{
    using value_type = T;
    Allocator() = default;
    template <class U> Allocator(const Allocator<U> &) {}
    static bool large(std::size_t n) { return n * sizeof(T) >= kBytes; }
    // The room an allocation for at least `n` takes: whole blocks once large.
    static std::size_t capacityFor(std::size_t n)
    {
        return large(n) ? (n * sizeof(T) + kBytes - 1) / kBytes * kBytes / sizeof(T) : n;
    }
    T *allocate(std::size_t n)
    {
        return large(n) ? static_cast<T *>(large_block::allocate(n * sizeof(T), true))
                        : std::allocator<T>().allocate(n);
    }
    void deallocate(T *p, std::size_t n) noexcept
    {
        if (large(n))
            release(p, n * sizeof(T));
        else
            std::allocator<T>().deallocate(p, n);
    }
    template <class U> bool operator==(const Allocator<U> &) const { return true; }
    template <class U> bool operator!=(const Allocator<U> &) const { return false; }
};

} // namespace large_block
