#include "sample_store.h"

void SampleStore::append(qint64 orderMs, qint64 wallMs, const SampleValues &values)
{
    const size_t slot = slotOf(m_size);
    if (slot == 0)
        large_block::grow(m_chunks);
    Chunk &chunk = *m_chunks.back();
    chunk.times[slot] = wallMs;
    chunk.orders[slot] = orderMs;
    for (int q = 0; q < kQuantityCount; ++q)
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

const float &SampleStore::value(qint64 row, Quantity q) const
{
    Q_ASSERT(row >= 0 && row < m_size);
    return chunkOf(row).values[int(q)][slotOf(row)];
}

SampleValues SampleStore::row(qint64 row) const
{
    Q_ASSERT(row >= 0 && row < m_size);
    const Chunk &chunk = chunkOf(row);
    const size_t slot = slotOf(row);
    SampleValues out;
    for (int q = 0; q < kQuantityCount; ++q)
        out[q] = chunk.values[q][slot];
    return out;
}

qint64 SampleStore::bytesUsed() const
{
    const size_t filling = m_size == 0 ? 0 : slotOf(m_size - 1) + 1;
    return qint64(large_block::bytesHeld(m_chunks.size(), filling,
                                         {{sizeof(qint64), 2}, {sizeof(float), kQuantityCount}})) +
           qint64(m_chunks.capacity()) * qint64(sizeof(void *));
}
