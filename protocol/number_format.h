#pragma once
// Fixed-point texts of the display page: a fixed number of decimals, left-padded with zeros to a
// minimum field width (the zeros go after a minus sign).

#include <QString>

#include <cstdint>

namespace proto {

// How the instrument shows a number: `decimals` places, left-padded with zeros to `width`.
struct NumberField
{
    int width;
    int decimals;
};
// The battery limits and protection thresholds.
constexpr NumberField kVoltageLimitField{5, 1}; // 012.5 V
constexpr NumberField kCurrentLimitField{5, 2}; // 01.50 A
constexpr NumberField kPowerLimitField{4, 0};   // 0080 W
constexpr NumberField kTemperatureLimitField{3, 0};
// The set-point of a work mode: 1 -> 6/2, 2 -> 7/2, 3 -> 6/1, any other -> 7/4.
NumberField setPointField(uint8_t workMode);
// The largest number the field shows in full: all nines (999.9 for 5/1).
double fieldMaximum(NumberField field);

// 5.1, 7, 2 -> "0005.10"; -30.0, 4, 1 -> "-30.0" (wider than the field, so unpadded).
QString formatFixed(double value, int width, int decimals);
QString formatFixed(double value, NumberField field);
// Energy and capacity of the NV05 family: 7/3 below 1000, 7/2 below 10000, 7/1 below 100000,
// otherwise 6/0.
QString formatNv05Amount(double value);
// Probe temperature, 4/1; "--.-" below -30 (no probe connected).
QString formatNtc(double value);
// Set-point by work mode: 1 -> 6/2, 2 -> 7/2, 3 -> 6/1, 0 and 4..9 -> 7/4, 10 and above -> "".
QString formatSetPoint(uint8_t workMode, double value);

} // namespace proto
