#include "run_store.h"

namespace review {

void RunStore::append(qint32 elapsedMs, const SampleValues &values)
{
    const size_t slot = slotOf(m_size);
    if (slot == 0)
        m_chunks.push_back(large_block::make<Chunk>());
    Chunk &chunk = *m_chunks.back();
    chunk.times[slot] = elapsedMs;
    for (int q = 0; q < kQuantityCount; ++q)
        chunk.values[size_t(q)][slot] = values[size_t(q)];
    ++m_size;
}

qint64 RunStore::bytesUsed() const
{
    return qint64(m_chunks.size()) * qint64(large_block::kBytes) +
           qint64(m_chunks.capacity()) * qint64(sizeof(void *));
}

} // namespace review
