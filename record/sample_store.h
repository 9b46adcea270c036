#pragma once
// Every sample of a run at full resolution: the live run's table and the chart's source, and a
// run read back from its file. Columns are kept in chunks of kChunkRows rows, so that a week-long
// run never copies itself as it grows; the first chunk grows with the rows, so a short run takes
// memory in proportion to them. Each row has two times: the wall-clock stamp the data files show,
// and a position on a line that only grows, which orders the rows and places them on the chart,
// so that a clock stepped back or forward never reorders a run. A chunk keeps each time as an
// offset from its first row's while the offsets fit in 32 bits: 48 bytes per row in all. A row's
// times and values lie together, so that the chart, which reads a few rows at each pixel column's
// edges all over a long run, finds them in one place.

#include "protocol/vocabulary.h"

#include <QtGlobal>

#include <array>
#include <vector>

class SampleStore
{
public:
    static constexpr int kChunkBits = 12;
    static constexpr qint64 kChunkRows = qint64(1) << kChunkBits;

    // orderMs must not decrease from row to row; wallMs is whatever the clock said.
    void append(qint64 orderMs, qint64 wallMs, const proto::SampleValues &values);
    // A row whose one time both orders it and is its stamp (files read back, tests).
    void append(qint64 ms, const proto::SampleValues &values) { append(ms, ms, values); }
    void clear();

    qint64 size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    qint64 time(qint64 row) const
    {
        const Chunk &chunk = chunkOf(row);
        return chunk.walls.at(chunk.rows[slotOf(row)].wall, slotOf(row));
    }
    qint64 order(qint64 row) const
    {
        const Chunk &chunk = chunkOf(row);
        return chunk.orders.at(chunk.rows[slotOf(row)].order, slotOf(row));
    }
    float value(qint64 row, proto::Quantity q) const
    {
        return chunkOf(row).rows[slotOf(row)].values[size_t(q)];
    }
    proto::SampleValues row(qint64 row) const;
    // First row at or after `from` whose ordering time is >= orderMs; size() if none. The search
    // widens from `near`, where the caller expects the row, or else from where the times of the
    // chunk that holds it (found by the chunks' first rows) put it.
    qint64 firstRowAtOrAfter(qint64 orderMs, qint64 from = 0, qint64 near = -1) const;

    // Changes on every clear, so that derived views (the chart's pyramid) know to rebuild.
    quint64 generation() const { return m_generation; }

    // Heap bytes held, for the memory-per-row figures.
    qint64 bytesUsed() const;

private:
    struct Row
    {
        qint32 order; // offsets from the chunk's first row's times
        qint32 wall;
        proto::SampleValues values;
    };
    // A chunk's times of one kind: offsets from the first in the rows while they fit in 32 bits,
    // else every row's whole.
    struct Times
    {
        qint64 base = 0; // the first row's
        std::vector<qint64> whole;
        qint64 at(qint32 offset, size_t slot) const
        {
            return whole.empty() ? base + offset : whole[slot];
        }
        // What row `slot` keeps of time ms; `rows` are the chunk's rows before it.
        qint32 keep(qint64 ms, size_t slot, const std::vector<Row> &rows, qint32 Row::*field);
        qint64 bytes() const { return qint64(whole.capacity() * sizeof(qint64)); }
    };
    struct Chunk
    {
        Times orders;
        Times walls;
        std::vector<Row> rows;
    };
    const Chunk &chunkOf(qint64 row) const
    {
        Q_ASSERT(row >= 0 && row < m_size);
        return m_chunks[size_t(row >> kChunkBits)];
    }
    static size_t slotOf(qint64 row) { return size_t(row & (kChunkRows - 1)); }

    std::vector<Chunk> m_chunks;
    qint64 m_size = 0;
    quint64 m_generation = 0;
};
