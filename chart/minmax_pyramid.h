#pragma once
// Minimum and maximum of the plotted quantities over blocks of 8, 64, 512, … rows of the sample
// store, kept up to date row by row. The minimum and maximum of any row range then cost a few
// dozen reads whatever the run's length. About 9 bytes per row for the eight plotted columns.

#include "sample_store.h"

#include <algorithm>
#include <array>
#include <vector>

// The eight charted quantities, in the order of the chart's slots.
constexpr int kPlotSlots = 8;
extern const std::array<Quantity, kPlotSlots> kSlotQuantity;

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
    // value(row, Quantity) serves: the live run's and a reopened run's.
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

    // m_levels[level][slot]: level 0 is blocks of 8 rows.
    std::array<std::array<std::vector<Extent>, kPlotSlots>, kLevels> m_levels;
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
    for (int slot = 0; slot < kPlotSlots; ++slot) {
        const float v = store.value(row, kSlotQuantity[slot]);
        for (int level = 0; level < kLevels; ++level) {
            const int shift = kFanBits * (level + 1);
            std::vector<Extent> &blocks = m_levels[level][slot];
            if ((row & ((qint64(1) << shift) - 1)) == 0)
                blocks.push_back({v, v});
            else
                widen(blocks[size_t(row >> shift)], {v, v});
        }
    }
}

template <class Store> void MinMaxPyramid::build(const Store &store)
{
    const qint64 rows = store.size();
    const qint64 fan = qint64(1) << kFanBits;
    for (int slot = 0; slot < kPlotSlots; ++slot) {
        const Quantity q = kSlotQuantity[slot];
        std::vector<Extent> &first = m_levels[0][slot];
        first.reserve(size_t((rows + fan - 1) >> kFanBits));
        for (qint64 row = 0; row < rows; row += fan) {
            const float v0 = store.value(row, q);
            Extent e{v0, v0};
            for (qint64 r = row + 1; r < std::min(rows, row + fan); ++r) {
                const float v = store.value(r, q);
                widen(e, {v, v});
            }
            first.push_back(e);
        }
        for (int level = 1; level < kLevels; ++level) {
            const std::vector<Extent> &below = m_levels[level - 1][slot];
            std::vector<Extent> &blocks = m_levels[level][slot];
            blocks.reserve((below.size() + size_t(fan) - 1) >> kFanBits);
            for (size_t b = 0; b < below.size(); b += size_t(fan)) {
                Extent e = below[b];
                for (size_t i = b + 1; i < std::min(below.size(), b + size_t(fan)); ++i)
                    widen(e, below[i]);
                blocks.push_back(e);
            }
        }
    }
    m_rows = rows;
}

template <class Store>
void MinMaxPyramid::prefetchEdge(const Store &store, int slot, qint64 edge) const
{
    const qint64 fan = qint64(1) << kFanBits;
    const Quantity q = kSlotQuantity[size_t(slot)];
    const qint64 rows = qMin(m_rows, store.size());
    if (edge < 0 || edge >= rows)
        return;
    __builtin_prefetch(&store.value(edge & ~(fan - 1), q));
    __builtin_prefetch(&store.value(qMin(rows - 1, edge | (fan - 1)), q));
    for (int level = 0; level < kLevels; ++level) {
        const std::vector<Extent> &blocks = m_levels[size_t(level)][size_t(slot)];
        const qint64 block = edge >> (kFanBits * (level + 1));
        if (block >= qint64(blocks.size()))
            return;
        __builtin_prefetch(&blocks[size_t(block & ~(fan - 1))]);
        __builtin_prefetch(&blocks[size_t(qMin(qint64(blocks.size()) - 1, block | (fan - 1)))]);
    }
}

template <class Store>
MinMaxPyramid::Extent MinMaxPyramid::extent(const Store &store, int slot, qint64 first,
                                            qint64 last) const
{
    const Quantity q = kSlotQuantity[slot];
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
        const std::vector<Extent> &blocks = m_levels[level][slot];
        const bool top = level == kLevels - 1;
        while (lo < hi && (top || (lo & (fan - 1)) != 0))
            widen(e, blocks[size_t(lo++)]);
        while (hi > lo && (hi & (fan - 1)) != 0)
            widen(e, blocks[size_t(--hi)]);
        lo >>= kFanBits;
        hi >>= kFanBits;
    }
    return e;
}
