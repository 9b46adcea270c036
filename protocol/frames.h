#pragma once
// Builders of the frames the program sends: 10-byte command frames and 9-byte request frames.
// The caller pads them into a 64-byte report.

#include <array>
#include <cstdint>

namespace proto {

using CommandFrame = std::array<uint8_t, 10>;
using RequestFrame = std::array<uint8_t, 9>;

// 55 05 address code 00 00 00 00 EE FF.
CommandFrame commandFrame(uint8_t address, uint8_t code);
// Payload as an unsigned 32-bit big-endian number.
CommandFrame integerCommand(uint8_t address, uint8_t code, uint32_t value);
// Payload as an IEEE-754 single, most significant byte first.
CommandFrame floatCommand(uint8_t address, uint8_t code, float value);
// Payload in byte 4 only (display style, run/stop, popup answer).
CommandFrame byteCommand(uint8_t address, uint8_t code, uint8_t byte4);

enum class TimeUnit : uint8_t
{
    Hours = 1,
    Minutes = 2
};
// Timed-discharge limit: `number` in byte 4, the unit selector in byte 7.
CommandFrame timeLimitCommand(uint8_t address, uint8_t number, TimeUnit unit);
// Bus scan probe: carries the probed address, not the current one.
CommandFrame addressRequest(uint8_t probedAddress);

// 55 05 address code p0 p1 p2 EE FF.
RequestFrame requestFrame(uint8_t address, uint8_t code, uint8_t p0, uint8_t p1, uint8_t p2);
// The poll cycle's request: a measurement request on odd ticks, a settings request on even ones.
RequestFrame pollRequest(uint8_t address, uint32_t tickCounter);
// Settings request sent when a settings page is opened (empty payload).
RequestFrame settingsPageRequest(uint8_t address);
// Switches the instrument into its firmware loader.
RequestFrame upgradeEntryFrame();

// The poll cycle's tick counter: counts up and wraps to 0 after 0x0FFFFFFF.
uint32_t nextTickCounter(uint32_t tick);

} // namespace proto
