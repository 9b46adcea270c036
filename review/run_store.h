#pragma once
// The rows of one reopened run: elapsed milliseconds since the run's first row (32 bits reach
// 24 days) and the ten quantities, in fixed-size chunks. 44 bytes per row, so eight week-long
// runs fit where the live store's wall-clock column would not.

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
    static constexpr qint64 kMaxElapsedMs = 0x7fffffff;

    void append(qint32 elapsedMs, const proto::SampleValues &values);

    qint64 size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // Elapsed milliseconds since the first row.
    qint64 time(qint64 row) const
    {
        return m_chunks[size_t(row >> kChunkBits)]->times[size_t(row & (kChunkRows - 1))];
    }
    // The time that orders the rows and places them on the chart: the elapsed time, too.
    qint64 order(qint64 row) const { return time(row); }
    const void *orderAddress(qint64 row) const
    {
        return &m_chunks[size_t(row >> kChunkBits)]->times[size_t(row & (kChunkRows - 1))];
    }
    const float &value(qint64 row, proto::Quantity q) const
    {
        return m_chunks[size_t(row >> kChunkBits)]
            ->values[size_t(q)][size_t(row & (kChunkRows - 1))];
    }
    // A reopened run never changes; derived views build once.
    quint64 generation() const { return 0; }

    qint64 bytesUsed() const;

private:
    struct Chunk
    {
        std::array<qint32, kChunkRows> times;
        std::array<std::array<float, kChunkRows>, proto::kQuantityCount> values;
    };
    std::vector<std::unique_ptr<Chunk>> m_chunks;
    qint64 m_size = 0;
};

} // namespace review
