#pragma once
// Minimum and maximum of the plotted quantities over blocks of 8, 64, 512, … rows of a sample
// store, kept up to date row by row. The minimum and maximum of any row range then cost a few
// dozen reads whatever the run's length. A level keeps eight neighbouring blocks of one slot in
// a cache line, and the eight slots' lines of the same blocks side by side: a range reads at most
// a line per slot and level at each end, and the curves drawn together read neighbouring lines.
// About 9 bytes per row.

#include "record/sample_store.h"

#include <array>
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
    using Extents = std::array<Extent, kPlotSlots>; // by slot

    // Takes in the rows the store gained since the last call; rebuilds after the store was
    // cleared. Returns whether anything changed.
    bool sync(const SampleStore &store);
    void reset();
    qint64 rows() const { return m_rows; }

    // Extents over rows first … last (inclusive; first <= last < rows()) of the slots set in
    // `slotMask` (bit s for slot s); the others' are left meaningless.
    Extents extents(const SampleStore &store, qint64 first, qint64 last, unsigned slotMask) const;
    Extent extent(const SampleStore &store, int slot, qint64 first, qint64 last) const
    {
        return extents(store, first, last, 1u << slot)[size_t(slot)];
    }

    qint64 bytesUsed() const;

private:
    void add(const SampleStore &store, qint64 row);
    // All of a store's rows at once, level by level: vectors of exactly the size needed.
    void build(const SampleStore &store);

    static constexpr qint64 kFan = qint64(1) << kFanBits;
    struct alignas(64) Group
    {
        std::array<Extent, kFan> blocks;
    };
    struct Level
    {
        std::vector<Group> groups; // blocks 8g … 8g + 7 of slot s in group g * kPlotSlots + s
        qint64 blocks = 0;
        const Extent &at(int slot, qint64 block) const
        {
            return groups[size_t((block >> kFanBits) * kPlotSlots + slot)]
                .blocks[size_t(block & (kFan - 1))];
        }
        Extent &at(int slot, qint64 block)
        {
            return groups[size_t((block >> kFanBits) * kPlotSlots + slot)]
                .blocks[size_t(block & (kFan - 1))];
        }
        void resize(qint64 count);
    };
    // Level 0 is blocks of 8 rows.
    std::array<Level, kLevels> m_levels;
    qint64 m_rows = 0;
    quint64 m_generation = 0;
};
