#pragma once
// CRC-16/MODBUS and the check of the length-prefixed frames used by the firmware loader.

#include <cstddef>
#include <cstdint>

namespace proto {

// CRC-16/MODBUS of the first (length mod 256) bytes. The loader only ever counts lengths in one
// byte, so a length of 256 covers nothing and yields 0xFFFF.
uint16_t crc16(const uint8_t *data, size_t length);

// True when the CRC stored at L-2 (low) and L-1 (high) of a length-prefixed frame differs from the
// one computed over bytes 0..L-3, where L is byte 1. `available` is the number of readable bytes
// (at most 64 are considered); a length byte outside 2..available counts as a mismatch, so nothing
// beyond `available` is ever read.
bool frameCrcMismatch(const uint8_t *frame, size_t available);

// Writes the CRC of bytes 0..L-3 at L-2/L-1 of a frame whose length byte L is already set.
// Does nothing when L lies outside 4..capacity: a shorter frame's CRC would overwrite byte 1,
// its own length.
void storeFrameCrc(uint8_t *frame, size_t capacity);

} // namespace proto
