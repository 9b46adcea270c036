#pragma once
// The wire's byte orders: measurements are little-endian integers, command payloads and
// settings values big-endian (floats as IEEE-754 single precision).

#include <cstdint>
#include <cstring>

namespace proto {

inline uint32_t readLittleEndian(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void writeLittleEndian(uint8_t *p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline float readBigEndianFloat(const uint8_t *p)
{
    const uint32_t bits =
        uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void writeBigEndianFloat(uint8_t *p, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(bits >> (24 - 8 * i));
}

} // namespace proto
