#include "minmax_pyramid.h"

const std::array<Quantity, kPlotSlots> kSlotQuantity = {
    Quantity::Voltage,  Quantity::Current, Quantity::Power,   Quantity::Energy,
    Quantity::Capacity, Quantity::CpuTemp, Quantity::NtcTemp, Quantity::MosTemp};

void MinMaxPyramid::reset()
{
    for (auto &level : m_levels)
        for (auto &column : level) {
            column.clear();
            column.shrink_to_fit();
        }
    m_rows = 0;
}

qint64 MinMaxPyramid::bytesUsed() const
{
    qint64 bytes = 0;
    for (const auto &level : m_levels)
        for (const auto &column : level)
            bytes += qint64(column.capacity() * sizeof(Extent));
    return bytes;
}
