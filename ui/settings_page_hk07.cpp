#include "ui/settings_page_hk07.h"

#include "ui/pages_log.h"
#include "ui_SettingsHk07Controls.h"

using namespace proto;

namespace {
using Commands = usb::InstrumentCommands;
const SettingsEditRow kEdits[] = {
    {"settings_edit_voltzero", &Commands::dischargeStopVoltage, TimeUnit::Hours,
     &DisplayTexts::dischargeStopVoltage, kVoltageLimitField},
    {"settings_edit_voltfull", &Commands::chargeStopVoltage, TimeUnit::Hours,
     &DisplayTexts::chargeStopVoltage, kVoltageLimitField},
    {"settings_edit_currfull", &Commands::chargeStopCurrent, TimeUnit::Hours,
     &DisplayTexts::chargeStopCurrent, kCurrentLimitField},
    {"settings_edit_currover", &Commands::overCurrentLimit, TimeUnit::Hours,
     &DisplayTexts::overCurrentLimit, kCurrentLimitField},
    {"settings_edit_poweover", &Commands::overPowerLimit, TimeUnit::Hours,
     &DisplayTexts::overPowerLimit, kPowerLimitField},
    {"settings_edit_ntcover", &Commands::probeOverTemperature, TimeUnit::Hours,
     &DisplayTexts::probeOverTemp, kTemperatureLimitField},
    {"settings_edit_mosover", &Commands::mosOverTemperature, TimeUnit::Hours,
     &DisplayTexts::mosOverTemp, kTemperatureLimitField},
    {"settings_edit_timeh", nullptr, TimeUnit::Hours, &DisplayTexts::limitHours, NumberField{}},
    {"settings_edit_timem", nullptr, TimeUnit::Minutes, &DisplayTexts::limitMinutes, NumberField{}},
};
} // namespace

SettingsPageHk07::SettingsPageHk07(QWidget *parent) : SettingsPageBase(parent) {}

void SettingsPageHk07::buildControls(QWidget *body)
{
    buildForm<Ui::SettingsHk07Controls>(body);
}

const char *SettingsPageHk07::bodyName() const
{
    return "settings_body";
}

void SettingsPageHk07::resolveParts()
{
    resolveCommon("settings",
                  {"settings_btn_CN1", "settings_btn_CN2", "settings_btn_EN1", "settings_btn_EN2"},
                  kEdits, int(std::size(kEdits)));
}
