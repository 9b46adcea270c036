#pragma once
// Minimum and maximum of the plotted quantities over blocks of 8, 64, 512, … rows of the sample
// store, kept up to date row by row. The minimum and maximum of any row range then cost a few
// dozen reads whatever the run's length. About 9 bytes per row for the eight plotted columns.

#include "record/large_block.h"
#include "record/sample_store.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

// The eight charted quantities, in the order of the chart's slots.
constexpr int kPlotSlots = 8;
extern const std::array<proto::Quantity, kPlotSlots> kSlotQuantity;

class MinMaxPyramid
{
public:
    static constexpr int kFanBits = 3;
    static constexpr int kLevels = 8; // blocks of 8^1 … 8^8 rows

    struct Extent
    {
        float min;
        float max;
    };

    // Takes in the rows the store gained since the last call; rebuilds after the store was
    // cleared. Returns whether anything changed. Any store with size(), generation(),
    // value(row, proto::Quantity) serves: the live run's and a reopened run's.
    template <class Store> bool sync(const Store &store);
    void reset();
    qint64 rows() const { return m_rows; }

    // Extent of slot `slot` over rows first … last (inclusive; first <= last < rows()).
    template <class Store>
    Extent extent(const Store &store, int slot, qint64 first, qint64 last) const;

    // Asks the memory, without waiting, for what extent() reads near row `edge` of slot `slot`:
    // the raw rows and the blocks either side of it. On a long run those reads miss the cache;
    // asked for a few columns ahead, they arrive together instead of one after the other.
    template <class Store> void prefetchEdge(const Store &store, int slot, qint64 edge) const;

    qint64 bytesUsed() const;

private:
    template <class Store> void add(qint64 row, const Store &store);
    // All of a store's rows at once, level by level: the same blocks as adding them one by one,
    // at a fraction of the cost, and vectors of exactly the size needed.
    template <class Store> void build(const Store &store);
    static void widen(Extent &e, const Extent &by)
    {
        e.min = std::min(e.min, by.min);
        e.max = std::max(e.max, by.max);
    }

    static constexpr qint64 kFan = qint64(1) << kFanBits;
    // Eight neighbouring blocks of one slot, one cache line.
    struct alignas(64) Group
    {
        std::array<Extent, kFan> blocks;
    };
    // A level's blocks by groups of eight, each group's slots side by side: a range query reads
    // at most a group per level at each end, so the curves drawn together read lines next to
    // each other, and the second and third curve find in the cache what the first one read.
    struct Level
    {
        // Group g of slot s at g * kPlotSlots + s.
        std::vector<Group, large_block::Allocator<Group>> groups;
        qint64 blocks = 0;
        const Extent &at(int slot, qint64 block) const
        {
            return groups[size_t((block >> kFanBits) * kPlotSlots + slot)]
                .blocks[size_t(block & (kFan - 1))];
        }
        Extent &at(int slot, qint64 block)
        {
            return const_cast<Extent &>(std::as_const(*this).at(slot, block));
        }
        // Room for `count` blocks of every slot. A level grows by an eighth, into whole large
        // blocks: doubling left up to half of a long run's biggest level unused.
        void resize(qint64 count)
        {
            using Allocator = large_block::Allocator<Group>;
            blocks = count;
            const size_t size = size_t((count + kFan - 1) >> kFanBits) * kPlotSlots;
            if (size > groups.capacity())
                groups.reserve(Allocator::capacityFor(
                    std::max(size, groups.capacity() + groups.capacity() / 8)));
            groups.resize(size);
        }
    };

    // m_levels[level]: level 0 is blocks of 8 rows.
    std::array<Level, kLevels> m_levels;
    qint64 m_rows = 0;
    quint64 m_generation = 0;
};

template <class Store> bool MinMaxPyramid::sync(const Store &store)
{
    bool changed = false;
    if (store.generation() != m_generation || store.size() < m_rows) {
        reset();
        m_generation = store.generation();
        changed = true;
    }
    if (m_rows == 0 && store.size() > 0) {
        build(store);
        return true;
    }
    while (m_rows < store.size()) {
        add(m_rows, store);
        ++m_rows;
        changed = true;
    }
    return changed;
}

template <class Store> void MinMaxPyramid::add(qint64 row, const Store &store)
{
    std::array<float, kPlotSlots> values;
    for (int slot = 0; slot < kPlotSlots; ++slot)
        values[size_t(slot)] = store.value(row, kSlotQuantity[size_t(slot)]);
    for (int l = 0; l < kLevels; ++l) {
        Level &level = m_levels[size_t(l)];
        const int shift = kFanBits * (l + 1);
        const qint64 block = row >> shift;
        const bool starts = (row & ((qint64(1) << shift) - 1)) == 0;
        if (starts)
            level.resize(block + 1);
        for (int slot = 0; slot < kPlotSlots; ++slot) {
            const float v = values[size_t(slot)];
            Extent &e = level.at(slot, block);
            if (starts)
                e = {v, v};
            else
                widen(e, {v, v});
        }
    }
}

template <class Store> void MinMaxPyramid::build(const Store &store)
{
    const qint64 rows = store.size();
    Level &first = m_levels[0];
    first.resize((rows + kFan - 1) >> kFanBits);
    for (int slot = 0; slot < kPlotSlots; ++slot) {
        const proto::Quantity q = kSlotQuantity[size_t(slot)];
        for (qint64 b = 0; b < first.blocks; ++b) {
            const qint64 row = b << kFanBits;
            const float v0 = store.value(row, q);
            Extent e{v0, v0};
            for (qint64 r = row + 1; r < std::min(rows, row + kFan); ++r) {
                const float v = store.value(r, q);
                widen(e, {v, v});
            }
            first.at(slot, b) = e;
        }
    }
    for (int level = 1; level < kLevels; ++level) {
        const Level &below = m_levels[size_t(level - 1)];
        Level &blocks = m_levels[size_t(level)];
        const qint64 count = (below.blocks + kFan - 1) >> kFanBits;
        blocks.resize(count);
        for (int slot = 0; slot < kPlotSlots; ++slot) {
            for (qint64 b = 0; b < count; ++b) {
                Extent e = below.at(slot, b * kFan);
                for (qint64 i = b * kFan + 1; i < std::min(below.blocks, (b + 1) * kFan); ++i)
                    widen(e, below.at(slot, i));
                blocks.at(slot, b) = e;
            }
        }
    }
    m_rows = rows;
}

template <class Store>
void MinMaxPyramid::prefetchEdge(const Store &store, int slot, qint64 edge) const
{
    const qint64 fan = qint64(1) << kFanBits;
    const proto::Quantity q = kSlotQuantity[size_t(slot)];
    const qint64 rows = qMin(m_rows, store.size());
    if (edge < 0 || edge >= rows)
        return;
    __builtin_prefetch(&store.value(edge & ~(fan - 1), q));
    __builtin_prefetch(&store.value(qMin(rows - 1, edge | (fan - 1)), q));
    for (int level = 0; level < kLevels; ++level) {
        const Level &blocks = m_levels[size_t(level)];
        const qint64 block = edge >> (kFanBits * (level + 1));
        if (block >= blocks.blocks)
            return;
        __builtin_prefetch(&blocks.at(slot, block)); // its group, one line
    }
}

template <class Store>
MinMaxPyramid::Extent MinMaxPyramid::extent(const Store &store, int slot, qint64 first,
                                            qint64 last) const
{
    const proto::Quantity q = kSlotQuantity[slot];
    const float v0 = store.value(first, q);
    Extent e{v0, v0};
    qint64 lo = first;
    qint64 hi = last + 1; // half-open, in units of the current level
    const qint64 fan = qint64(1) << kFanBits;
    // Raw rows up to the first and from the last whole block of 8.
    while (lo < hi && (lo & (fan - 1)) != 0) {
        const float v = store.value(lo++, q);
        widen(e, {v, v});
    }
    while (hi > lo && (hi & (fan - 1)) != 0) {
        const float v = store.value(--hi, q);
        widen(e, {v, v});
    }
    lo >>= kFanBits;
    hi >>= kFanBits;
    for (int level = 0; level < kLevels && lo < hi; ++level) {
        const Level &blocks = m_levels[size_t(level)];
        const bool top = level == kLevels - 1;
        while (lo < hi && (top || (lo & (fan - 1)) != 0))
            widen(e, blocks.at(slot, lo++));
        while (hi > lo && (hi & (fan - 1)) != 0)
            widen(e, blocks.at(slot, --hi));
        lo >>= kFanBits;
        hi >>= kFanBits;
    }
    return e;
}
