#include "chart/minmax_pyramid.h"

#include <algorithm>
#include <limits>

const std::array<proto::Quantity, kPlotSlots> kSlotQuantity = {
    proto::Quantity::Voltage, proto::Quantity::Current,  proto::Quantity::Power,
    proto::Quantity::Energy,  proto::Quantity::Capacity, proto::Quantity::CpuTemp,
    proto::Quantity::NtcTemp, proto::Quantity::MosTemp};

namespace {
using Extent = MinMaxPyramid::Extent;
constexpr qint64 kFan = qint64(1) << MinMaxPyramid::kFanBits;

void widen(Extent &e, const Extent &by)
{
    e.min = std::min(e.min, by.min);
    e.max = std::max(e.max, by.max);
}
} // namespace

void MinMaxPyramid::Level::resize(qint64 count)
{
    blocks = count;
    const size_t size = size_t((count + kFan - 1) >> kFanBits) * kPlotSlots;
    // A long run's level grows by an eighth: doubling would leave up to half unused.
    if (size > groups.capacity())
        groups.reserve(std::max(size, groups.capacity() + groups.capacity() / 8));
    groups.resize(size);
}

void MinMaxPyramid::reset()
{
    for (Level &level : m_levels)
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
    for (int l = 0; l < kLevels; ++l) {
        Level &level = m_levels[size_t(l)];
        const int shift = kFanBits * (l + 1);
        const qint64 block = row >> shift;
        const bool starts = (row & ((qint64(1) << shift) - 1)) == 0;
        if (starts)
            level.resize(block + 1);
        for (int slot = 0; slot < kPlotSlots; ++slot) {
            const float v = store.value(row, kSlotQuantity[size_t(slot)]);
            Extent &e = level.at(slot, block);
            if (starts)
                e = {v, v};
            else
                widen(e, {v, v});
        }
    }
}

void MinMaxPyramid::build(const SampleStore &store)
{
    const qint64 rows = store.size();
    Level &first = m_levels[0];
    first.resize((rows + kFan - 1) / kFan);
    for (qint64 b = 0; b < first.blocks; ++b) {
        const qint64 row = b * kFan;
        for (int slot = 0; slot < kPlotSlots; ++slot) {
            const float v = store.value(row, kSlotQuantity[size_t(slot)]);
            first.at(slot, b) = {v, v};
        }
        for (qint64 r = row + 1; r < std::min(rows, row + kFan); ++r)
            for (int slot = 0; slot < kPlotSlots; ++slot) {
                const float v = store.value(r, kSlotQuantity[size_t(slot)]);
                widen(first.at(slot, b), {v, v});
            }
    }
    for (int l = 1; l < kLevels; ++l) {
        const Level &below = m_levels[size_t(l - 1)];
        Level &level = m_levels[size_t(l)];
        level.resize((below.blocks + kFan - 1) / kFan);
        for (qint64 b = 0; b < level.blocks; ++b) {
            for (int slot = 0; slot < kPlotSlots; ++slot) {
                Extent e = below.at(slot, b * kFan);
                for (qint64 i = b * kFan + 1; i < std::min(below.blocks, (b + 1) * kFan); ++i)
                    widen(e, below.at(slot, i));
                level.at(slot, b) = e;
            }
        }
    }
    m_rows = rows;
}

MinMaxPyramid::Extents MinMaxPyramid::extents(const SampleStore &store, qint64 first, qint64 last,
                                              unsigned slotMask) const
{
    Extents e;
    e.fill({std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()});
    for (int slot = 0; slot < kPlotSlots; ++slot) {
        if (!(slotMask & (1u << slot)))
            continue;
        Extent &x = e[size_t(slot)];
        const proto::Quantity q = kSlotQuantity[size_t(slot)];
        qint64 lo = first;
        qint64 hi = last + 1; // half-open, in units of the current level
        // Raw rows up to the first and from the last whole block of 8.
        for (; lo < hi && lo % kFan != 0; ++lo) {
            const float v = store.value(lo, q);
            widen(x, {v, v});
        }
        while (hi > lo && hi % kFan != 0) {
            const float v = store.value(--hi, q);
            widen(x, {v, v});
        }
        lo /= kFan;
        hi /= kFan;
        for (int l = 0; l < kLevels && lo < hi; ++l) {
            const Level &level = m_levels[size_t(l)];
            const bool top = l == kLevels - 1;
            while (lo < hi && (top || lo % kFan != 0))
                widen(x, level.at(slot, lo++));
            while (hi > lo && hi % kFan != 0)
                widen(x, level.at(slot, --hi));
            lo /= kFan;
            hi /= kFan;
        }
    }
    return e;
}

qint64 MinMaxPyramid::bytesUsed() const
{
    qint64 bytes = 0;
    for (const Level &level : m_levels)
        bytes += qint64(level.groups.capacity() * sizeof(Group));
    return bytes;
}
