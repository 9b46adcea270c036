#include "record/sample_store.h"

#include <limits>

qint32 SampleStore::Times::keep(qint64 ms, size_t slot, const std::vector<Row> &rows,
                                qint32 Row::*field)
{
    if (whole.empty()) {
        if (slot == 0)
            base = ms;
        const qint64 offset = ms - base;
        if (offset >= std::numeric_limits<qint32>::min() &&
            offset <= std::numeric_limits<qint32>::max())
            return qint32(offset);
        // A step of more than 24 days within the chunk: its times are kept whole from now on.
        whole.reserve(rows.capacity());
        for (const Row &row : rows)
            whole.push_back(base + row.*field);
    }
    whole.push_back(ms);
    return 0;
}

void SampleStore::append(qint64 orderMs, qint64 wallMs, const proto::SampleValues &values)
{
    const size_t slot = slotOf(m_size);
    if (slot == 0) {
        m_chunks.emplace_back();
        // The first chunk grows with the rows; a later one follows a full one and starts whole.
        if (m_chunks.size() > 1)
            m_chunks.back().rows.reserve(kChunkRows);
    }
    Chunk &chunk = m_chunks.back();
    const qint32 order = chunk.orders.keep(orderMs, slot, chunk.rows, &Row::order);
    const qint32 wall = chunk.walls.keep(wallMs, slot, chunk.rows, &Row::wall);
    chunk.rows.push_back({order, wall, values});
    ++m_size;
}

void SampleStore::clear()
{
    m_chunks = {};
    m_size = 0;
    ++m_generation;
}

proto::SampleValues SampleStore::row(qint64 row) const
{
    return chunkOf(row).rows[slotOf(row)].values;
}

qint64 SampleStore::firstRowAtOrAfter(qint64 orderMs, qint64 from, qint64 near) const
{
    if (from >= m_size)
        return from;
    qint64 lo = from; // the row is in lo … hi
    qint64 hi = m_size;
    if (near < 0) {
        // The last chunk from `from`'s on whose first row lies before orderMs holds the row, or
        // else the first row of the next.
        size_t chunk = size_t(from >> kChunkBits);
        size_t after = m_chunks.size();
        while (after - chunk > 1) {
            const size_t mid = chunk + (after - chunk) / 2;
            if (m_chunks[mid].orders.base < orderMs)
                chunk = mid;
            else
                after = mid;
        }
        lo = qMax(from, qint64(chunk) << kChunkBits);
        hi = qMin(m_size, qint64(chunk + 1) << kChunkBits);
        if (hi - lo > 16 && chunk + 1 < m_chunks.size()) {
            // Rows come about evenly in time: where the chunk's times put the row.
            const qint64 t0 = order(lo);
            const qint64 t1 = m_chunks[chunk + 1].orders.base;
            const double share = double(orderMs - t0) / double(qMax<qint64>(1, t1 - t0));
            near = lo + qint64(qMax(0.0, share) * double(hi - lo));
        }
    }
    if (near >= 0 && lo < hi) {
        // Widen from the expected row in doubling steps until the row is bracketed: a few reads
        // near it, where a search through the run would read far apart.
        const qint64 guess = qBound(lo, near, hi - 1);
        if (order(guess) >= orderMs) {
            hi = guess;
            for (qint64 step = 1; hi - step >= lo; step *= 2) {
                if (order(hi - step) < orderMs) {
                    lo = hi - step + 1;
                    break;
                }
                hi -= step;
            }
        } else {
            lo = guess + 1;
            for (qint64 step = 1; lo + step - 1 < hi; step *= 2) {
                if (order(lo + step - 1) >= orderMs) {
                    hi = lo + step - 1;
                    break;
                }
                lo += step;
            }
        }
    }
    while (lo < hi) {
        const qint64 mid = lo + (hi - lo) / 2;
        if (order(mid) < orderMs)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

qint64 SampleStore::bytesUsed() const
{
    qint64 bytes = qint64(m_chunks.capacity() * sizeof(Chunk));
    for (const Chunk &chunk : m_chunks) {
        bytes += chunk.orders.bytes() + chunk.walls.bytes();
        bytes += qint64(chunk.rows.capacity() * sizeof(Row));
    }
    return bytes;
}
