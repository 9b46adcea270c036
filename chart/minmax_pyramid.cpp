#include "chart/minmax_pyramid.h"

const std::array<proto::Quantity, kPlotSlots> kSlotQuantity = {
    proto::Quantity::Voltage,  proto::Quantity::Current, proto::Quantity::Power,   proto::Quantity::Energy,
    proto::Quantity::Capacity, proto::Quantity::CpuTemp, proto::Quantity::NtcTemp, proto::Quantity::MosTemp};

void MinMaxPyramid::reset()
{
    for (Level &level : m_levels) {
        level.groups.clear();
        level.groups.shrink_to_fit();
        level.blocks = 0;
    }
    m_rows = 0;
}

qint64 MinMaxPyramid::bytesUsed() const
{
    qint64 bytes = 0;
    for (const Level &level : m_levels)
        bytes += qint64(level.groups.capacity() * sizeof(Group)); // whole blocks once large
    return bytes;
}
