#include "run_store.h"

namespace review {

void RunStore::append(qint32 elapsedMs, const SampleValues &values)
{
    const size_t slot = slotOf(m_size);
    if (slot == 0)
        large_block::grow(m_chunks);
    Chunk &chunk = *m_chunks.back();
    chunk.times[slot] = elapsedMs;
    for (int q = 0; q < kQuantityCount; ++q)
        chunk.values[size_t(q)][slot] = values[size_t(q)];
    ++m_size;
}

qint64 RunStore::bytesUsed() const
{
    const size_t filling = m_size == 0 ? 0 : slotOf(m_size - 1) + 1;
    return qint64(large_block::bytesHeld(m_chunks.size(), filling,
                                         {{sizeof(qint32), 1}, {sizeof(float), kQuantityCount}})) +
           qint64(m_chunks.capacity()) * qint64(sizeof(void *));
}

} // namespace review
