#pragma once
// Every sample of the current run at full resolution: the recorded table and the chart's source.
// Columns live in fixed-size chunks, each a large block of its own (large_block.h), so that a
// week-long run neither copies itself on growth nor keeps a doubled vector capacity: about 56
// bytes per row (8 for each of the two times, 4 per quantity). Each row has two times: the
// wall-clock stamp the data files show, and a position on a line that only grows, which orders the
// rows and places them on the chart, so that a clock stepped back or forward never reorders a run.

#include "protocol/vocabulary.h"
#include "record/large_block.h"

#include <QtGlobal>

#include <array>
#include <memory>
#include <vector>


class SampleStore
{
public:
    // As many rows as fill a block.
    static constexpr qint64 kChunkRows =
        qint64(large_block::kBytes / (2 * sizeof(qint64) + proto::kQuantityCount * sizeof(float)));

    // orderMs must not decrease from row to row; wallMs is whatever the clock said.
    void append(qint64 orderMs, qint64 wallMs, const proto::SampleValues &values);
    // A row whose wall-clock stamp also orders it (files read back, tests).
    void append(qint64 msecsSinceEpoch, const proto::SampleValues &values)
    {
        append(msecsSinceEpoch, msecsSinceEpoch, values);
    }
    void clear();

    qint64 size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    qint64 time(qint64 row) const;  // wall clock, ms since the epoch
    qint64 order(qint64 row) const; // the ordering time, ms
    // Where order(row) is kept, for a reader that asks the memory for it ahead of reading.
    const void *orderAddress(qint64 row) const;
    // A reference, so that a reader can ask the memory for a row ahead of reading it.
    const float &value(qint64 row, proto::Quantity q) const;
    proto::SampleValues row(qint64 row) const;

    // Changes on every clear, so that derived views (the chart's pyramid) know to rebuild.
    quint64 generation() const { return m_generation; }

    // Heap bytes held, for the memory-per-row figure.
    qint64 bytesUsed() const;

private:
    struct Chunk
    {
        std::array<qint64, kChunkRows> times;
        std::array<qint64, kChunkRows> orders;
        std::array<std::array<float, kChunkRows>, proto::kQuantityCount> values;
    };
    const Chunk &chunkOf(qint64 row) const { return *m_chunks[size_t(row) / kChunkRows]; }
    static size_t slotOf(qint64 row) { return size_t(row) % kChunkRows; }

    std::vector<large_block::Ptr<Chunk>> m_chunks;
    qint64 m_size = 0;
    quint64 m_generation = 0;
};
