// Wire layout of the measurement and settings replies, in both directions.

#include "protocol/byte_order.h"
#include "protocol/codes.h"
#include "protocol/logging.h"
#include "protocol/report_parser.h"

#include <cmath>
#include <cstring>

namespace proto {

namespace {

struct MeasurementField
{
    int offset;
    uint32_t limit; // a raw value must be below it to be taken
    float LiveValues::*field;
    uint8_t signBit; // 0: never negative
};

const MeasurementField kMeasurementFields[] = {
    {8, 500000u, &LiveValues::voltage, 0},
    {12, 1500000u, &LiveValues::current, kSignCurrent},
    {16, 420000000u, &LiveValues::power, 0},
    {20, 999999000u, &LiveValues::resistance, 0},
    {24, 999999000u, &LiveValues::energy, 0},
    {28, 999999000u, &LiveValues::capacity, 0},
    {32, 300000u, &LiveValues::cpuTemp, kSignCpuTemp},
    {36, 300000u, &LiveValues::ntcTemp, kSignNtcTemp},
    {40, 300000u, &LiveValues::mosTemp, kSignMosTemp},
    {44, 10000000u, &LiveValues::fanSpeed, 0},
};

struct SettingsFloat
{
    int offset;
    float LiveValues::*field;
};

const SettingsFloat kSettingsFloats[] = {
    {4, &LiveValues::setPoint},
    {8, &LiveValues::tempCalibration},
    {12, &LiveValues::voltCalibration},
    {16, &LiveValues::currCalibration},
    {20, &LiveValues::dischargeStopVoltage},
    {24, &LiveValues::chargeStopVoltage},
    {28, &LiveValues::chargeStopCurrent},
    {32, &LiveValues::overCurrentLimit},
    {36, &LiveValues::overPowerLimit},
    {40, &LiveValues::probeOverTemp},
    {44, &LiveValues::mosOverTemp},
};

struct SettingsByte
{
    int offset;
    uint8_t LiveValues::*field;
};

const SettingsByte kSettingsBytes[] = {
    {48, &LiveValues::workMode},       {49, &LiveValues::displayStyle},
    {50, &LiveValues::workBrightness}, {51, &LiveValues::standbyBrightness},
    {52, &LiveValues::standbyTime},    {53, &LiveValues::limitHours},
    {54, &LiveValues::limitMinutes},
};

constexpr int kRunningOffset = 52;
constexpr int kPopupCountdownOffset = 53;
constexpr int kPopupOffset = 54;
constexpr int kSignFlagsOffset = 60;

// |value| in thousandths, rounded; saturates instead of overflowing (NaN travels as 0).
uint32_t toThousandths(float value)
{
    const double scaled = std::round(std::fabs(double(value)) * 1000.0);
    if (!(scaled >= 0.0))
        return 0;
    if (scaled >= 4294967295.0)
        return 0xFFFFFFFFu;
    return static_cast<uint32_t>(scaled);
}

std::array<uint8_t, 64> replyHeader(uint8_t address, uint8_t code)
{
    std::array<uint8_t, 64> report{};
    report[0] = kReplyStart;
    report[1] = kFrameKind;
    report[2] = address;
    report[3] = code;
    return report;
}

} // namespace

void decodeMeasurement(LinkState &state, const uint8_t *report)
{
    LiveValues &live = state.live;
    live.signFlags = report[kSignFlagsOffset];
    for (const MeasurementField &f : kMeasurementFields) {
        const uint32_t raw = readLittleEndian(report + f.offset);
        if (raw >= f.limit)
            continue; // out of range: keep the previous value
        double value = raw / 1000.0;
        // The HK09 measures current in one direction only; its sign bit means nothing.
        const bool negative = f.signBit != 0 && (live.signFlags & f.signBit) &&
                              !(f.signBit == kSignCurrent && state.hk09);
        if (negative)
            value = -value;
        live.*f.field = static_cast<float>(value);
    }
    live.popupCountdown = report[kPopupCountdownOffset];
    state.deviceRunning = report[kRunningOffset] != 0;
    live.popupType = report[kPopupOffset] / 10;
    live.popupChoice = report[kPopupOffset] % 10;
}

void decodeSettings(LinkState &state, const uint8_t *report)
{
    state.settingsReplyPending = true;
    LiveValues &live = state.live;
    for (const SettingsFloat &f : kSettingsFloats)
        live.*f.field = readBigEndianFloat(report + f.offset);
    for (const SettingsByte &b : kSettingsBytes)
        live.*b.field = report[b.offset];
}

std::array<uint8_t, 64> encodeMeasurement(uint8_t address, const LiveValues &v, bool running)
{
    std::array<uint8_t, 64> report = replyHeader(address, ReplyMeasurement);
    uint8_t signs = v.signFlags & 0x0F; // bits that carry no sign pass through unchanged
    for (const MeasurementField &f : kMeasurementFields) {
        const float value = v.*f.field;
        writeLittleEndian(report.data() + f.offset, toThousandths(value));
        if (f.signBit != 0 && value < 0 && toThousandths(value) != 0)
            signs |= f.signBit;
    }
    report[kRunningOffset] = running ? 1 : 0;
    report[kPopupCountdownOffset] = v.popupCountdown;
    report[kPopupOffset] = static_cast<uint8_t>(v.popupType * 10 + v.popupChoice % 10);
    report[kSignFlagsOffset] = signs;
    return report;
}

std::array<uint8_t, 64> encodeSettings(uint8_t address, const LiveValues &v)
{
    std::array<uint8_t, 64> report = replyHeader(address, ReplySettings);
    for (const SettingsFloat &f : kSettingsFloats)
        writeBigEndianFloat(report.data() + f.offset, v.*f.field);
    for (const SettingsByte &b : kSettingsBytes)
        report[b.offset] = v.*b.field;
    report[62] = kTrailer0;
    report[63] = kTrailer1;
    return report;
}

std::array<uint8_t, 64> encodeAddressReply(uint8_t address, bool selected, const std::string &model)
{
    std::array<uint8_t, 64> report = replyHeader(address, ReplyAddress);
    report[4] = selected ? 1 : 0;
    for (size_t i = 0; i < model.size() && i < size_t(kAddressReplyModelLength); ++i)
        report[size_t(kAddressReplyModelAt) + i] = uint8_t(model[i]);
    report[8] = kTrailer0;
    report[9] = kTrailer1;
    return report;
}

} // namespace proto
