#include "protocol/display_texts.h"

#include "protocol/number_format.h"
#include "protocol/vocabulary.h"

#include <QCoreApplication>

using proto::formatFixed;

namespace {

struct ModeLabels
{
    DisplayTexts::TitleLabel label;
    const char *title;
    const char *caption;
    const char *unit;
};

// Title, set-point caption and unit for the work modes 0..9.
const ModeLabels kModes[] = {
    {DisplayTexts::TitleLabel::Display, QT_TRANSLATE_NOOP("MainDialog", "恒电流模式"), "Is:", "A"},
    {DisplayTexts::TitleLabel::Display, QT_TRANSLATE_NOOP("MainDialog", "恒电压模式"), "Vs:", "V"},
    {DisplayTexts::TitleLabel::Display, QT_TRANSLATE_NOOP("MainDialog", "恒电阻模式"), "Rs:", "Ω"},
    {DisplayTexts::TitleLabel::Display, QT_TRANSLATE_NOOP("MainDialog", "恒功率模式"), "Ps:", "W"},
    {DisplayTexts::TitleLabel::Six, QT_TRANSLATE_NOOP("MainDialog", "测内阻"), "Is:", "A"},
    {DisplayTexts::TitleLabel::Six, QT_TRANSLATE_NOOP("MainDialog", "测电源"), "Is:", "A"},
    {DisplayTexts::TitleLabel::Six, QT_TRANSLATE_NOOP("MainDialog", "测线组"), "Is:", "A"},
    {DisplayTexts::TitleLabel::Display, QT_TRANSLATE_NOOP("MainDialog", "充放充"), "Is:", "A"},
    {DisplayTexts::TitleLabel::Display, QT_TRANSLATE_NOOP("MainDialog", "充放充放充"), "Is:", "A"},
    {DisplayTexts::TitleLabel::Six, QT_TRANSLATE_NOOP("MainDialog", "充放电循环测试"), nullptr,
     nullptr},
};

QString twoDigits(int n)
{
    return QString("%1").arg(n, 2, 10, QChar('0'));
}

} // namespace

DisplayTexts displayTexts(const proto::LiveValues &v, quint8 familyCode)
{
    DisplayTexts t;
    t.voltage = formatFixed(v.voltage, 7, 2);
    t.current = formatFixed(v.current, 7, 3);
    t.power = formatFixed(v.power, 7, 2);
    t.resistance = formatFixed(v.resistance, 7, 2);
    if (familyCode == proto::Nv05Family) {
        t.energy = proto::formatNv05Amount(v.energy);
        t.capacity = proto::formatNv05Amount(v.capacity);
        t.energyUnit = proto::unitOf(proto::Quantity::Energy, familyCode);
        t.energyUnitPointSize = 11;
        t.capacityUnit = proto::unitOf(proto::Quantity::Capacity, familyCode);
    } else {
        t.energy = formatFixed(v.energy, 7, 1);
        t.capacity = formatFixed(v.capacity, 6, 0);
    }
    t.cpuTemp = formatFixed(v.cpuTemp, 4, 1);
    t.ntcTemp = proto::formatNtc(v.ntcTemp);
    t.mosTemp = formatFixed(v.mosTemp, 4, 1);
    t.fanSpeed = formatFixed(v.fanSpeed, 4, 0);
    t.setPoint = proto::formatSetPoint(v.workMode, v.setPoint);

    if (v.workMode < std::size(kModes)) {
        const ModeLabels &mode = kModes[v.workMode];
        t.titleLabel = mode.label;
        t.title = mode.title;
        t.caption = mode.caption;
        t.unit = mode.unit;
        if (v.workMode == 0) {
            if (familyCode == proto::Nv05Family)
                t.title = QT_TRANSLATE_NOOP("MainDialog", "数据图表展示");
            else if (familyCode != proto::Hk07Family)
                t.titleLabel = DisplayTexts::TitleLabel::Unchanged;
        }
    }

    t.tempCalibration = formatFixed(v.tempCalibration, 7, 4);
    t.voltCalibration = formatFixed(v.voltCalibration, 7, 4);
    t.currCalibration = formatFixed(v.currCalibration, 7, 4);
    t.dischargeStopVoltage = formatFixed(v.dischargeStopVoltage, proto::kVoltageLimitField);
    t.chargeStopVoltage = formatFixed(v.chargeStopVoltage, proto::kVoltageLimitField);
    t.chargeStopCurrent = formatFixed(v.chargeStopCurrent, proto::kCurrentLimitField);
    t.overCurrentLimit = formatFixed(v.overCurrentLimit, proto::kCurrentLimitField);
    t.overPowerLimit = formatFixed(v.overPowerLimit, proto::kPowerLimitField);
    t.probeOverTemp = formatFixed(v.probeOverTemp, proto::kTemperatureLimitField);
    t.mosOverTemp = formatFixed(v.mosOverTemp, proto::kTemperatureLimitField);
    t.limitHours = twoDigits(v.limitHours);
    t.limitMinutes = twoDigits(v.limitMinutes);
    return t;
}
