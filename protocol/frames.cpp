#include "protocol/frames.h"

#include "protocol/codes.h"

#include <cstring>

namespace proto {

namespace {

void putBigEndian(CommandFrame &frame, uint32_t value)
{
    frame[4] = static_cast<uint8_t>(value >> 24);
    frame[5] = static_cast<uint8_t>(value >> 16);
    frame[6] = static_cast<uint8_t>(value >> 8);
    frame[7] = static_cast<uint8_t>(value);
}

} // namespace

CommandFrame commandFrame(uint8_t address, uint8_t code)
{
    return CommandFrame{kCommandStart, kFrameKind, address, code, 0, 0, 0, 0, kTrailer0, kTrailer1};
}

CommandFrame integerCommand(uint8_t address, uint8_t code, uint32_t value)
{
    CommandFrame frame = commandFrame(address, code);
    putBigEndian(frame, value);
    return frame;
}

CommandFrame floatCommand(uint8_t address, uint8_t code, float value)
{
    static_assert(sizeof(float) == sizeof(uint32_t), "IEEE-754 single expected");
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return integerCommand(address, code, bits);
}

CommandFrame byteCommand(uint8_t address, uint8_t code, uint8_t byte4)
{
    CommandFrame frame = commandFrame(address, code);
    frame[4] = byte4;
    return frame;
}

CommandFrame timeLimitCommand(uint8_t address, uint8_t number, TimeUnit unit)
{
    CommandFrame frame = commandFrame(address, CmdTimeLimit);
    frame[4] = number;
    frame[7] = static_cast<uint8_t>(unit);
    return frame;
}

CommandFrame addressRequest(uint8_t probedAddress)
{
    return commandFrame(probedAddress, CmdAddressRequest);
}

RequestFrame requestFrame(uint8_t address, uint8_t code, uint8_t p0, uint8_t p1, uint8_t p2)
{
    return RequestFrame{kCommandStart, kFrameKind, address, code, p0, p1, p2, kTrailer0, kTrailer1};
}

RequestFrame pollRequest(uint8_t address, uint32_t tickCounter)
{
    const uint8_t code = (tickCounter & 1) ? CmdMeasurementRequest : CmdSettingsRequest;
    return requestFrame(address, code, 0x0B, 0x00, 0x8C);
}

RequestFrame settingsPageRequest(uint8_t address)
{
    return requestFrame(address, CmdSettingsRequest, 0, 0, 0);
}

RequestFrame upgradeEntryFrame()
{
    return requestFrame(kUpgradeEntryAddress, CmdUpgradeEntry, 0, 0, 0);
}

uint32_t nextTickCounter(uint32_t tick)
{
    return tick < 0x0FFFFFFFu ? tick + 1 : 0;
}

} // namespace proto
