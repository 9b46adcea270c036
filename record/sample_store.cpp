#include "sample_store.h"

void SampleStore::append(qint64 orderMs, qint64 wallMs, const SampleValues &values)
{
    const qint64 slot = m_size & (kChunkRows - 1);
    if (slot == 0)
        m_chunks.push_back(std::make_unique<Chunk>());
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
    return m_chunks[row >> kChunkBits]->times[row & (kChunkRows - 1)];
}

qint64 SampleStore::order(qint64 row) const
{
    Q_ASSERT(row >= 0 && row < m_size);
    return m_chunks[row >> kChunkBits]->orders[row & (kChunkRows - 1)];
}

const void *SampleStore::orderAddress(qint64 row) const
{
    Q_ASSERT(row >= 0 && row < m_size);
    return &m_chunks[row >> kChunkBits]->orders[row & (kChunkRows - 1)];
}

const float &SampleStore::value(qint64 row, Quantity q) const
{
    Q_ASSERT(row >= 0 && row < m_size);
    return m_chunks[row >> kChunkBits]->values[int(q)][row & (kChunkRows - 1)];
}

SampleValues SampleStore::row(qint64 row) const
{
    Q_ASSERT(row >= 0 && row < m_size);
    const Chunk &chunk = *m_chunks[row >> kChunkBits];
    const qint64 slot = row & (kChunkRows - 1);
    SampleValues out;
    for (int q = 0; q < kQuantityCount; ++q)
        out[q] = chunk.values[q][slot];
    return out;
}

qint64 SampleStore::bytesUsed() const
{
    return qint64(m_chunks.size()) * qint64(sizeof(Chunk)) +
           qint64(m_chunks.capacity()) * qint64(sizeof(void *));
}
