#include "review/run_store.h"

#include <algorithm>

namespace review {

RunStore::Chunk RunStore::makeChunk(int capacity)
{
    Chunk chunk;
    chunk.capacity = capacity;
    chunk.times.reset(new qint64[size_t(capacity)]);
    chunk.values.reset(new float[size_t(capacity) * proto::kQuantityCount]);
    for (size_t q = 0; q < size_t(proto::kQuantityCount); ++q)
        chunk.columns[q] = chunk.values.get() + q * size_t(capacity);
    return chunk;
}

void RunStore::append(qint64 elapsedMs, const proto::SampleValues &values)
{
    const size_t slot = slotOf(m_size);
    if (slot == 0) {
        // A later chunk follows a full one: the run is long, so it starts whole.
        m_chunks.push_back(makeChunk(m_chunks.empty() ? kFirstCapacity : kChunkRows));
    } else if (int(slot) == m_chunks.back().capacity) {
        Chunk &old = m_chunks.back();
        Chunk grown = makeChunk(std::min(old.capacity * 2, kChunkRows));
        std::copy_n(old.times.get(), slot, grown.times.get());
        for (size_t q = 0; q < size_t(proto::kQuantityCount); ++q)
            std::copy_n(old.columns[q], slot, grown.columns[q]);
        old = std::move(grown);
    }
    Chunk &chunk = m_chunks.back();
    chunk.times[slot] = elapsedMs;
    for (size_t q = 0; q < size_t(proto::kQuantityCount); ++q)
        chunk.columns[q][slot] = values[q];
    ++m_size;
}

qint64 RunStore::bytesUsed() const
{
    qint64 bytes = qint64(m_chunks.capacity()) * qint64(sizeof(Chunk));
    for (const Chunk &chunk : m_chunks)
        bytes += qint64(chunk.capacity) * qint64(sizeof(qint64) + proto::kQuantityCount * sizeof(float));
    return bytes;
}

} // namespace review
