#pragma once
// The latest measurements, battery-test popup bytes and instrument settings, as last reported.

#include <cstdint>

namespace proto {

struct LiveValues
{
    // From measurement reports.
    float voltage = 0, current = 0, power = 0, resistance = 0, energy = 0, capacity = 0,
          cpuTemp = 0, ntcTemp = 0, mosTemp = 0, fanSpeed = 0;
    uint8_t signFlags = 0, popupCountdown = 0, popupType = 0, popupChoice = 0;
    // From settings replies.
    uint8_t displayStyle = 0, workBrightness = 0, standbyBrightness = 0, standbyTime = 0,
            workMode = 0, limitHours = 0, limitMinutes = 0;
    float setPoint = 0, tempCalibration = 0, voltCalibration = 0, currCalibration = 0,
          dischargeStopVoltage = 0, chargeStopVoltage = 0, chargeStopCurrent = 0,
          overCurrentLimit = 0, overPowerLimit = 0, probeOverTemp = 0, mosOverTemp = 0;
};

// Sign bits of LiveValues::signFlags.
constexpr uint8_t kSignCurrent = 0x80;
constexpr uint8_t kSignCpuTemp = 0x40;
constexpr uint8_t kSignNtcTemp = 0x20;
constexpr uint8_t kSignMosTemp = 0x10;

} // namespace proto
