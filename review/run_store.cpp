#include "review/run_store.h"

namespace review {

void RunStore::append(qint32 elapsedMs, const proto::SampleValues &values)
{
    const qint64 slot = m_size & (kChunkRows - 1);
    if (slot == 0)
        m_chunks.push_back(std::make_unique<Chunk>());
    Chunk &chunk = *m_chunks.back();
    chunk.times[size_t(slot)] = elapsedMs;
    for (int q = 0; q < proto::kQuantityCount; ++q)
        chunk.values[size_t(q)][size_t(slot)] = values[size_t(q)];
    ++m_size;
}

qint64 RunStore::bytesUsed() const
{
    return qint64(m_chunks.size()) * qint64(sizeof(Chunk)) +
           qint64(m_chunks.capacity()) * qint64(sizeof(void *));
}

} // namespace review
