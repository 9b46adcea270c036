#include "ui/settings_page_hk07.h"

#include "ui/pages_log.h"
#include "ui_SettingsHk07Controls.h"

using namespace proto;

namespace {
using Commands = usb::InstrumentCommands;
const SettingsEditRow kEdits[] = {
    {"settings_edit_voltzero", &Commands::dischargeStopVoltage, TimeUnit::Hours,
     &DisplayTexts::dischargeStopVoltage},
    {"settings_edit_voltfull", &Commands::chargeStopVoltage, TimeUnit::Hours,
     &DisplayTexts::chargeStopVoltage},
    {"settings_edit_currfull", &Commands::chargeStopCurrent, TimeUnit::Hours,
     &DisplayTexts::chargeStopCurrent},
    {"settings_edit_currover", &Commands::overCurrentLimit, TimeUnit::Hours,
     &DisplayTexts::overCurrentLimit},
    {"settings_edit_poweover", &Commands::overPowerLimit, TimeUnit::Hours,
     &DisplayTexts::overPowerLimit},
    {"settings_edit_ntcover", &Commands::probeOverTemperature, TimeUnit::Hours,
     &DisplayTexts::probeOverTemp},
    {"settings_edit_mosover", &Commands::mosOverTemperature, TimeUnit::Hours,
     &DisplayTexts::mosOverTemp},
    {"settings_edit_timeh", nullptr, TimeUnit::Hours, &DisplayTexts::limitHours},
    {"settings_edit_timem", nullptr, TimeUnit::Minutes, &DisplayTexts::limitMinutes},
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

void SettingsPageHk07::on_settings_btn_CN1_clicked()
{
    styleChosen(1);
}
void SettingsPageHk07::on_settings_btn_CN2_clicked()
{
    styleChosen(2);
}
void SettingsPageHk07::on_settings_btn_EN1_clicked()
{
    styleChosen(3);
}
void SettingsPageHk07::on_settings_btn_EN2_clicked()
{
    styleChosen(4);
}

void SettingsPageHk07::on_settings_slider_worklight_valueChanged(int position)
{
    if (sliderChanged("worklight", position))
        qCDebug(lcUi) << "工作屏幕亮度测试行：0000000000000";
}
void SettingsPageHk07::on_settings_slider_standlight_valueChanged(int position)
{
    sliderChanged("standlight", position);
}
void SettingsPageHk07::on_settings_slider_standtime_valueChanged(int position)
{
    sliderChanged("standtime", position);
}
void SettingsPageHk07::on_settings_slider_tempcali_valueChanged(int value)
{
    sliderChanged("tempcali", value);
}
void SettingsPageHk07::on_settings_slider_voltcali_valueChanged(int value)
{
    sliderChanged("voltcali", value);
}
void SettingsPageHk07::on_settings_slider_currcali_valueChanged(int value)
{
    sliderChanged("currcali", value);
}

void SettingsPageHk07::on_settings_edit_voltzero_editingFinished()
{
    editFinished("settings_edit_voltzero");
}
void SettingsPageHk07::on_settings_edit_voltfull_editingFinished()
{
    editFinished("settings_edit_voltfull");
}
void SettingsPageHk07::on_settings_edit_currfull_editingFinished()
{
    editFinished("settings_edit_currfull");
}
void SettingsPageHk07::on_settings_edit_currover_editingFinished()
{
    editFinished("settings_edit_currover");
}
void SettingsPageHk07::on_settings_edit_poweover_editingFinished()
{
    editFinished("settings_edit_poweover");
}
void SettingsPageHk07::on_settings_edit_ntcover_editingFinished()
{
    editFinished("settings_edit_ntcover");
}
void SettingsPageHk07::on_settings_edit_mosover_editingFinished()
{
    editFinished("settings_edit_mosover");
}
void SettingsPageHk07::on_settings_edit_timeh_editingFinished()
{
    editFinished("settings_edit_timeh");
}
void SettingsPageHk07::on_settings_edit_timem_editingFinished()
{
    editFinished("settings_edit_timem");
}

void SettingsPageHk07::on_settings_btn_clearcurrent_clicked()
{
    oneShot(&Commands::clearNoLoadCurrent);
}
void SettingsPageHk07::on_settings_btn_factory_reset_clicked()
{
    oneShot(&Commands::factoryReset);
}
void SettingsPageHk07::on_settings_btn_datazero_clicked()
{
    oneShot(&Commands::clearAccumulated);
}
