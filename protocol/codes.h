#pragma once
// Command and reply codes of the instrument's report frames (byte 3 of every frame).

#include <cstdint>

namespace proto {

constexpr int kReportSize = 64;

// Frame start and trailer bytes.
constexpr uint8_t kCommandStart = 0x55;
constexpr uint8_t kReplyStart = 0xAA;
constexpr uint8_t kFrameKind = 0x05;
constexpr uint8_t kTrailer0 = 0xEE;
constexpr uint8_t kTrailer1 = 0xFF;

// The upgrade-entry frame is addressed to this fixed bus address, whatever the current one is.
constexpr uint8_t kUpgradeEntryAddress = 0x09;

enum Command : uint8_t
{
    CmdUpgradeEntry = 0x02,
    CmdSettingsRequest = 0x03,
    CmdAddressRequest = 0x04,
    CmdMeasurementRequest = 0x05,
    CmdDisplayStyle = 0x20,
    CmdSetPoint = 0x21,
    CmdWorkBrightness = 0x22,
    CmdStandbyBrightness = 0x23,
    CmdStandbyTime = 0x24,
    CmdRunStop = 0x25,
    CmdTempCalibration = 0x26,
    CmdVoltCalibration = 0x27,
    CmdCurrCalibration = 0x28,
    CmdDischargeStopVoltage = 0x29,
    CmdChargeStopVoltage = 0x2A,
    CmdChargeStopCurrent = 0x2B,
    CmdOverCurrent = 0x2C,
    CmdOverPower = 0x2D,
    CmdProbeOverTemp = 0x2E,
    CmdMosOverTemp = 0x2F,
    CmdTimeLimit = 0x31,
    CmdClearNoLoadCurrent = 0x32,
    CmdFactoryReset = 0x33,
    CmdClearAccumulated = 0x34,
    CmdPopupAnswer = 0x35,
    CmdShuntSize = 0x36,
    CmdReturnHome = 0x45,
    CmdSettingsPageOpened = 0x46,
    // Home-page tiles: tell the instrument which work mode the user picked.
    CmdModeConstantCurrent = 0x47,
    CmdModeConstantVoltage = 0x48,
    CmdModeConstantResistance = 0x49,
    CmdModeConstantPower = 0x4A,
    CmdModeInternalResistance = 0x4B,
    CmdModePowerSourceTest = 0x4C,
    CmdModeCableTest = 0x4D,
    CmdModeChargeDischargeCharge = 0x4E,
    CmdModeChargeDischargeChargeDischargeCharge = 0x4F,
    CmdModeCycleTest = 0x50,
    CmdModeDeveloping = 0x51,
};

enum ReplyCode : uint8_t
{
    ReplySettings = 0x03,
    ReplyAddress = 0x04,
    ReplyMeasurement = 0x05
};

// Payload byte 4 of CmdRunStop.
constexpr uint8_t kRunStart = 1;
constexpr uint8_t kRunStop = 0;

// Answer numbers of CmdPopupAnswer.
constexpr uint8_t kPopupAnswerReturn = 1;
constexpr uint8_t kPopupAnswerSecond = 2;
constexpr uint8_t kPopupAnswerThird = 3;
constexpr uint8_t kPopupAnswerConfirm = 5;

} // namespace proto
