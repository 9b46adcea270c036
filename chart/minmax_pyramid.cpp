#include "minmax_pyramid.h"

#include <algorithm>

const std::array<Quantity, kPlotSlots> kSlotQuantity = {
    Quantity::Voltage,  Quantity::Current, Quantity::Power,   Quantity::Energy,
    Quantity::Capacity, Quantity::CpuTemp, Quantity::NtcTemp, Quantity::MosTemp};

namespace {
void widen(MinMaxPyramid::Extent &e, const MinMaxPyramid::Extent &by)
{
    e.min = std::min(e.min, by.min);
    e.max = std::max(e.max, by.max);
}
} // namespace

void MinMaxPyramid::reset()
{
    for (auto &level : m_levels)
        for (auto &column : level) {
            column.clear();
            column.shrink_to_fit();
        }
    m_rows = 0;
}

bool MinMaxPyramid::sync(const SampleStore &store)
{
    bool changed = false;
    if (store.generation() != m_generation || store.size() < m_rows) {
        reset();
        m_generation = store.generation();
        changed = true;
    }
    while (m_rows < store.size()) {
        add(m_rows, store);
        ++m_rows;
        changed = true;
    }
    return changed;
}

void MinMaxPyramid::add(qint64 row, const SampleStore &store)
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

MinMaxPyramid::Extent MinMaxPyramid::extent(const SampleStore &store, int slot, qint64 first,
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

qint64 MinMaxPyramid::bytesUsed() const
{
    qint64 bytes = 0;
    for (const auto &level : m_levels)
        for (const auto &column : level)
            bytes += qint64(column.capacity() * sizeof(Extent));
    return bytes;
}
