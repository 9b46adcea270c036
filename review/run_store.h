#pragma once
// The rows of one reopened run: elapsed milliseconds since the run's first row and the ten
// quantities, column by column in chunks of up to 4096 rows. 48 bytes per row. A run's first chunk
// starts small and doubles as rows arrive, so a short run takes memory in proportion to its rows,
// never a whole chunk.

#include "record/sample_store.h"

#include <QtGlobal>

#include <array>
#include <memory>
#include <vector>

namespace review {

class RunStore
{
public:
    static constexpr int kChunkBits = 12;
    static constexpr int kChunkRows = 1 << kChunkBits;
    static constexpr int kFirstCapacity = 64;

    void append(qint64 elapsedMs, const proto::SampleValues &values);

    qint64 size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // Elapsed milliseconds since the first row.
    qint64 time(qint64 row) const { return chunkOf(row).times[slotOf(row)]; }
    // The time that orders the rows and places them on the chart: the elapsed time, too.
    qint64 order(qint64 row) const { return time(row); }
    const void *orderAddress(qint64 row) const { return &chunkOf(row).times[slotOf(row)]; }
    const float &value(qint64 row, proto::Quantity q) const
    {
        return chunkOf(row).columns[size_t(q)][slotOf(row)];
    }
    // A reopened run never changes; derived views build once.
    quint64 generation() const { return 0; }

    qint64 bytesUsed() const;

private:
    struct Chunk
    {
        std::unique_ptr<qint64[]> times;
        std::unique_ptr<float[]> values; // proto::kQuantityCount columns of `capacity` each
        std::array<float *, proto::kQuantityCount> columns{};
        int capacity = 0;
    };
    static Chunk makeChunk(int capacity);
    const Chunk &chunkOf(qint64 row) const { return m_chunks[size_t(row >> kChunkBits)]; }
    static size_t slotOf(qint64 row) { return size_t(row & (kChunkRows - 1)); }

    std::vector<Chunk> m_chunks;
    qint64 m_size = 0;
};

} // namespace review
