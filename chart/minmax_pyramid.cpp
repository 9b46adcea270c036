#include "chart/minmax_pyramid.h"

#include <algorithm>

const std::array<proto::Quantity, kPlotSlots> kSlotQuantity = {
    proto::Quantity::Voltage,  proto::Quantity::Current, proto::Quantity::Power,
    proto::Quantity::Energy,   proto::Quantity::Capacity, proto::Quantity::CpuTemp,
    proto::Quantity::NtcTemp,  proto::Quantity::MosTemp};

namespace {
constexpr qint64 kFan = qint64(1) << MinMaxPyramid::kFanBits;
constexpr size_t kFanSize = size_t(kFan);

void widen(MinMaxPyramid::Extent &e, const MinMaxPyramid::Extent &by)
{
    e.min = std::min(e.min, by.min);
    e.max = std::max(e.max, by.max);
}
} // namespace

void MinMaxPyramid::reset()
{
    for (auto &level : m_blocks)
        for (std::vector<Extent> &blocks : level)
            blocks = {};
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
    for (int slot = 0; slot < kPlotSlots; ++slot) {
        const float v = store.value(row, kSlotQuantity[size_t(slot)]);
        for (int level = 0; level < kLevels; ++level) {
            std::vector<Extent> &blocks = m_blocks[size_t(level)][size_t(slot)];
            const int shift = kFanBits * (level + 1);
            if ((row & ((qint64(1) << shift) - 1)) == 0) {
                // A long run's level grows by an eighth: doubling would leave up to half unused.
                if (blocks.size() == blocks.capacity())
                    blocks.reserve(blocks.size() + blocks.size() / 8 + 8);
                blocks.push_back({v, v});
            } else {
                widen(blocks.back(), {v, v});
            }
        }
    }
}

void MinMaxPyramid::build(const SampleStore &store)
{
    const qint64 rows = store.size();
    for (int slot = 0; slot < kPlotSlots; ++slot) {
        const proto::Quantity q = kSlotQuantity[size_t(slot)];
        std::vector<Extent> &first = m_blocks[0][size_t(slot)];
        first.reserve(size_t((rows + kFan - 1) / kFan));
        for (qint64 row = 0; row < rows; row += kFan) {
            Extent e{store.value(row, q), store.value(row, q)};
            for (qint64 r = row + 1; r < std::min(rows, row + kFan); ++r)
                widen(e, {store.value(r, q), store.value(r, q)});
            first.push_back(e);
        }
        for (int level = 1; level < kLevels; ++level) {
            const std::vector<Extent> &below = m_blocks[size_t(level - 1)][size_t(slot)];
            std::vector<Extent> &blocks = m_blocks[size_t(level)][size_t(slot)];
            blocks.reserve((below.size() + kFan - 1) / kFan);
            for (size_t b = 0; b < below.size(); b += kFanSize) {
                Extent e = below[b];
                for (size_t i = b + 1; i < std::min(below.size(), b + kFanSize); ++i)
                    widen(e, below[i]);
                blocks.push_back(e);
            }
        }
    }
    m_rows = rows;
}

MinMaxPyramid::Extent MinMaxPyramid::extent(const SampleStore &store, int slot, qint64 first,
                                            qint64 last) const
{
    const proto::Quantity q = kSlotQuantity[size_t(slot)];
    Extent e{store.value(first, q), store.value(first, q)};
    qint64 lo = first;
    qint64 hi = last + 1; // half-open, in units of the current level
    // Raw rows up to the first and from the last whole block of 8.
    while (lo < hi && lo % kFan != 0) {
        const float v = store.value(lo++, q);
        widen(e, {v, v});
    }
    while (hi > lo && hi % kFan != 0) {
        const float v = store.value(--hi, q);
        widen(e, {v, v});
    }
    lo /= kFan;
    hi /= kFan;
    for (int level = 0; level < kLevels && lo < hi; ++level) {
        const std::vector<Extent> &blocks = m_blocks[size_t(level)][size_t(slot)];
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
    for (const auto &level : m_blocks)
        for (const std::vector<Extent> &blocks : level)
            bytes += qint64(blocks.capacity() * sizeof(Extent));
    return bytes;
}
