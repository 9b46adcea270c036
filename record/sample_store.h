#pragma once
// Every sample of the current run at full resolution: the recorded table and the chart's source.
// Columns live in fixed-size chunks so that a week-long run neither copies itself on growth nor
// keeps a doubled vector capacity: about 48 bytes per row (8 for the time, 4 per quantity).

#include <QtGlobal>

#include <array>
#include <memory>
#include <vector>

// The ten recorded quantities, in the order of the recorded table.
enum class Quantity : int {
    Voltage,
    Current,
    Power,
    Resistance,
    Energy,
    Capacity,
    CpuTemp,
    NtcTemp,
    MosTemp,
    FanSpeed,
};
constexpr int kQuantityCount = 10;

using SampleValues = std::array<float, kQuantityCount>;

class SampleStore
{
public:
    static constexpr int kChunkBits = 12;
    static constexpr int kChunkRows = 1 << kChunkBits;

    void append(qint64 msecsSinceEpoch, const SampleValues &values);
    void clear();

    qint64 size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    qint64 time(qint64 row) const;
    float value(qint64 row, Quantity q) const;
    SampleValues row(qint64 row) const;

    // Changes on every clear, so that derived views (the chart's pyramid) know to rebuild.
    quint64 generation() const { return m_generation; }

    // Heap bytes held, for the memory-per-row figure.
    qint64 bytesUsed() const;

private:
    struct Chunk
    {
        std::array<qint64, kChunkRows> times;
        std::array<std::array<float, kChunkRows>, kQuantityCount> values;
    };
    std::vector<std::unique_ptr<Chunk>> m_chunks;
    qint64 m_size = 0;
    quint64 m_generation = 0;
};
