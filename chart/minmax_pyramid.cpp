#include "chart/minmax_pyramid.h"

#include <algorithm>
#include <limits>

const std::array<proto::Quantity, kPlotSlots> kSlotQuantity = {
    proto::Quantity::Voltage, proto::Quantity::Current,  proto::Quantity::Power,
    proto::Quantity::Energy,  proto::Quantity::Capacity, proto::Quantity::CpuTemp,
    proto::Quantity::NtcTemp, proto::Quantity::MosTemp};

namespace {
using Extent = MinMaxPyramid::Extent;
using Extents = MinMaxPyramid::Extents;
constexpr qint64 kFan = qint64(1) << MinMaxPyramid::kFanBits;

void widen(Extents &e, const Extents &by)
{
    for (size_t s = 0; s < size_t(kPlotSlots); ++s) {
        e[s].min = std::min(e[s].min, by[s].min);
        e[s].max = std::max(e[s].max, by[s].max);
    }
}

void widen(Extent &e, float v)
{
    e.min = std::min(e.min, v);
    e.max = std::max(e.max, v);
}

Extents rowExtents(const SampleStore &store, qint64 row)
{
    Extents e;
    for (size_t s = 0; s < size_t(kPlotSlots); ++s) {
        const float v = store.value(row, kSlotQuantity[s]);
        e[s] = {v, v};
    }
    return e;
}
} // namespace

void MinMaxPyramid::reset()
{
    for (std::vector<Extents> &level : m_levels)
        level = {};
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
    if (m_rows == 0 && store.size() > 0) {
        build(store);
        return true;
    }
    for (; m_rows < store.size(); ++m_rows) {
        add(store, m_rows);
        changed = true;
    }
    return changed;
}

void MinMaxPyramid::add(const SampleStore &store, qint64 row)
{
    const Extents values = rowExtents(store, row);
    for (int level = 0; level < kLevels; ++level) {
        std::vector<Extents> &blocks = m_levels[size_t(level)];
        const int shift = kFanBits * (level + 1);
        if ((row & ((qint64(1) << shift) - 1)) == 0) {
            // A long run's level grows by an eighth: doubling would leave up to half unused.
            if (blocks.size() == blocks.capacity())
                blocks.reserve(blocks.size() + blocks.size() / 8 + 8);
            blocks.push_back(values);
        } else {
            widen(blocks.back(), values);
        }
    }
}

void MinMaxPyramid::build(const SampleStore &store)
{
    const qint64 rows = store.size();
    std::vector<Extents> &first = m_levels[0];
    first.reserve(size_t((rows + kFan - 1) / kFan));
    for (qint64 row = 0; row < rows; row += kFan) {
        Extents e = rowExtents(store, row);
        for (qint64 r = row + 1; r < std::min(rows, row + kFan); ++r)
            widen(e, rowExtents(store, r));
        first.push_back(e);
    }
    for (int level = 1; level < kLevels; ++level) {
        const std::vector<Extents> &below = m_levels[size_t(level - 1)];
        std::vector<Extents> &blocks = m_levels[size_t(level)];
        blocks.reserve((below.size() + kFan - 1) / kFan);
        for (size_t b = 0; b < below.size(); b += size_t(kFan)) {
            Extents e = below[b];
            for (size_t i = b + 1; i < std::min(below.size(), b + size_t(kFan)); ++i)
                widen(e, below[i]);
            blocks.push_back(e);
        }
    }
    m_rows = rows;
}

MinMaxPyramid::Extents MinMaxPyramid::extents(const SampleStore &store, qint64 first, qint64 last,
                                              unsigned slotMask) const
{
    Extents e;
    e.fill({std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()});
    const auto widenByRow = [&](qint64 row) {
        for (size_t s = 0; s < size_t(kPlotSlots); ++s)
            if (slotMask & (1u << s))
                widen(e[s], store.value(row, kSlotQuantity[s]));
    };
    qint64 lo = first;
    qint64 hi = last + 1; // half-open, in units of the current level
    // Raw rows up to the first and from the last whole block of 8.
    while (lo < hi && lo % kFan != 0)
        widenByRow(lo++);
    while (hi > lo && hi % kFan != 0)
        widenByRow(--hi);
    lo /= kFan;
    hi /= kFan;
    for (int level = 0; level < kLevels && lo < hi; ++level) {
        const std::vector<Extents> &blocks = m_levels[size_t(level)];
        const bool top = level == kLevels - 1;
        while (lo < hi && (top || lo % kFan != 0))
            widen(e, blocks[size_t(lo++)]);
        while (hi > lo && hi % kFan != 0)
            widen(e, blocks[size_t(--hi)]);
        lo /= kFan;
        hi /= kFan;
    }
    return e;
}

qint64 MinMaxPyramid::bytesUsed() const
{
    qint64 bytes = 0;
    for (const std::vector<Extents> &level : m_levels)
        bytes += qint64(level.capacity() * sizeof(Extents));
    return bytes;
}
