#include "record/sample_store.h"

#include <limits>

void SampleStore::Times::append(qint64 ms)
{
    if (whole.empty()) {
        if (offsets.empty())
            base = ms;
        const qint64 offset = ms - base;
        if (offset >= std::numeric_limits<qint32>::min() &&
            offset <= std::numeric_limits<qint32>::max()) {
            offsets.push_back(qint32(offset));
            return;
        }
        // A step of more than 24 days within the chunk: its times are kept whole from now on.
        whole.reserve(offsets.capacity());
        for (qint32 o : offsets)
            whole.push_back(base + o);
        offsets = {};
    }
    whole.push_back(ms);
}

void SampleStore::Times::reserve(size_t rows)
{
    offsets.reserve(rows);
}

qint64 SampleStore::Times::bytes() const
{
    return qint64(offsets.capacity() * sizeof(qint32) + whole.capacity() * sizeof(qint64));
}

void SampleStore::append(qint64 orderMs, qint64 wallMs, const proto::SampleValues &values)
{
    if (slotOf(m_size) == 0) {
        m_chunks.emplace_back();
        // The first chunk grows with the rows; a later one follows a full one and starts whole.
        if (m_chunks.size() > 1) {
            Chunk &chunk = m_chunks.back();
            chunk.orders.reserve(kChunkRows);
            chunk.walls.reserve(kChunkRows);
            for (std::vector<float> &column : chunk.values)
                column.reserve(kChunkRows);
        }
    }
    Chunk &chunk = m_chunks.back();
    chunk.orders.append(orderMs);
    chunk.walls.append(wallMs);
    for (size_t q = 0; q < size_t(proto::kQuantityCount); ++q)
        chunk.values[q].push_back(values[q]);
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
    const Chunk &chunk = chunkOf(row);
    const size_t slot = slotOf(row);
    proto::SampleValues out;
    for (size_t q = 0; q < size_t(proto::kQuantityCount); ++q)
        out[q] = chunk.values[q][slot];
    return out;
}

qint64 SampleStore::firstRowAtOrAfter(qint64 orderMs, qint64 from, qint64 near) const
{
    if (from >= m_size || order(from) >= orderMs)
        return from;
    qint64 lo = from + 1; // the row is in lo … hi, and order(lo - 1) < orderMs
    qint64 hi = m_size;
    if (near < 0) {
        // The last chunk from `from`'s on whose first row lies before orderMs holds the row
        // before.
        size_t chunk = size_t(from >> kChunkBits);
        size_t after = m_chunks.size();
        while (after - chunk > 1) {
            const size_t mid = chunk + (after - chunk) / 2;
            if (m_chunks[mid].orders.first() < orderMs)
                chunk = mid;
            else
                after = mid;
        }
        lo = qMax(from, qint64(chunk) << kChunkBits) + 1;
        hi = qMin(m_size, qint64(chunk + 1) << kChunkBits);
        if (hi - lo > 16 && chunk + 1 < m_chunks.size()) {
            // Rows come about evenly in time: where the chunk's times put the row.
            const qint64 t0 = order(lo - 1);
            const qint64 t1 = m_chunks[chunk + 1].orders.first();
            near = lo + qint64(double(orderMs - t0) / double(t1 - t0) * double(hi - lo));
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
        for (const std::vector<float> &column : chunk.values)
            bytes += qint64(column.capacity() * sizeof(float));
    }
    return bytes;
}
