#include "record/sample_store.h"

void SampleStore::append(qint64 orderMs, qint64 wallMs, const proto::SampleValues &values)
{
    const size_t slot = slotOf(m_size);
    if (slot == 0) {
        if (!m_chunks.empty())
            large_block::settle(m_chunks.back().get()); // full: into a huge page
        m_chunks.push_back(large_block::make<Chunk>());
    }
    Chunk &chunk = *m_chunks.back();
    chunk.times[slot] = wallMs;
    chunk.orders[slot] = orderMs;
    for (int q = 0; q < proto::kQuantityCount; ++q)
        chunk.values[q][slot] = values[q];
    ++m_size;
}

void SampleStore::clear()
{
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_size = 0;
    ++m_generation;
}

qint64 SampleStore::time(qint64 row) const
{
    Q_ASSERT(row >= 0 && row < m_size);
    return chunkOf(row).times[slotOf(row)];
}

qint64 SampleStore::order(qint64 row) const
{
    Q_ASSERT(row >= 0 && row < m_size);
    return chunkOf(row).orders[slotOf(row)];
}

const void *SampleStore::orderAddress(qint64 row) const
{
    Q_ASSERT(row >= 0 && row < m_size);
    return &chunkOf(row).orders[slotOf(row)];
}

const float &SampleStore::value(qint64 row, proto::Quantity q) const
{
    Q_ASSERT(row >= 0 && row < m_size);
    return chunkOf(row).values[int(q)][slotOf(row)];
}

proto::SampleValues SampleStore::row(qint64 row) const
{
    Q_ASSERT(row >= 0 && row < m_size);
    const Chunk &chunk = chunkOf(row);
    const size_t slot = slotOf(row);
    proto::SampleValues out;
    for (int q = 0; q < proto::kQuantityCount; ++q)
        out[q] = chunk.values[q][slot];
    return out;
}

qint64 SampleStore::bytesUsed() const
{
    if (m_chunks.empty())
        return 0;
    // Full chunks hold their blocks whole; the one filling, the pages its rows reached.
    const size_t filling = slotOf(m_size - 1) + 1;
    const size_t held = (m_chunks.size() - 1) * large_block::kBytes +
                        2 * large_block::inPages(filling * sizeof(qint64)) +
                        proto::kQuantityCount * large_block::inPages(filling * sizeof(float));
    return qint64(held) + qint64(m_chunks.capacity()) * qint64(sizeof(void *));
}
