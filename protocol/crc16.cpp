#include "protocol/crc16.h"

namespace proto {

uint16_t crc16(const uint8_t *data, size_t length)
{
    uint16_t crc = 0xFFFF;
    const size_t count = length & 0xFF;
    for (size_t i = 0; i < count; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            if (crc & 1)
                crc = static_cast<uint16_t>((crc >> 1) ^ 0xA001);
            else
                crc = static_cast<uint16_t>(crc >> 1);
        }
    }
    return crc;
}

namespace {

// L when it lies inside 2..min(available, 64), else 0.
size_t checkedFrameLength(const uint8_t *frame, size_t available)
{
    if (!frame)
        return 0;
    if (available > 64)
        available = 64;
    if (available < 2)
        return 0;
    const size_t length = frame[1];
    if (length < 2 || length > available)
        return 0;
    return length;
}

} // namespace

bool frameCrcMismatch(const uint8_t *frame, size_t available)
{
    const size_t length = checkedFrameLength(frame, available);
    if (length == 0)
        return true;
    // A frame of L = 2 holds nothing but its CRC bytes; the CRC of no bytes is the start value.
    const uint16_t computed = length == 2 ? 0xFFFF : crc16(frame, length - 2);
    const uint16_t stored = static_cast<uint16_t>(frame[length - 2] | (frame[length - 1] << 8));
    return stored != computed;
}

void storeFrameCrc(uint8_t *frame, size_t capacity)
{
    const size_t length = checkedFrameLength(frame, capacity);
    if (length < 4)
        return;
    const uint16_t crc = crc16(frame, length - 2);
    frame[length - 2] = static_cast<uint8_t>(crc & 0xFF);
    frame[length - 1] = static_cast<uint8_t>(crc >> 8);
}

} // namespace proto
