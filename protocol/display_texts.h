#pragma once
// Everything the display page and the settings pages' live readings show, computed from the
// latest decoded values without touching a widget.

#include "protocol/live_values.h"

#include <QString>

struct DisplayTexts
{
    QString voltage, current, power, resistance, energy, capacity;
    const char *energyUnit = "wh";
    int energyUnitPointSize = 19;
    const char *capacityUnit = "mAh";
    QString cpuTemp, ntcTemp, mosTemp, fanSpeed;
    QString setPoint;

    enum class TitleLabel
    {
        Unchanged,
        Display,
        Six
    };
    TitleLabel titleLabel = TitleLabel::Unchanged;
    const char *title = nullptr;   // source text, translated by the page
    const char *caption = nullptr; // null: keep the current caption and unit
    const char *unit = nullptr;

    QString tempCalibration, voltCalibration, currCalibration;
    QString dischargeStopVoltage, chargeStopVoltage, chargeStopCurrent;
    QString overCurrentLimit, overPowerLimit, probeOverTemp, mosOverTemp;
    QString limitHours, limitMinutes;
};

// familyCode: 1 HK07 family, 4 NV05 family, anything else not yet identified.
DisplayTexts displayTexts(const proto::LiveValues &v, quint8 familyCode);
