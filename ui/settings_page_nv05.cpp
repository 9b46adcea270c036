#include "ui/settings_page_nv05.h"

#include "ui/pages_log.h"
#include "protocol/settings_values.h"
#include "ui_SettingsNv05Controls.h"

#include <QComboBox>

using namespace proto;

namespace {
using Commands = usb::InstrumentCommands;
// The meters reuse the battery-limit commands for their prompts.
const SettingsEditRow kEdits[] = {
    {"NV05_settings_edit_lowvolt", &Commands::dischargeStopVoltage, TimeUnit::Hours,
     &DisplayTexts::dischargeStopVoltage},
    {"NV05_settings_edit_overvolt", &Commands::chargeStopVoltage, TimeUnit::Hours,
     &DisplayTexts::chargeStopVoltage},
    {"NV05_settings_edit_overpower", &Commands::overPowerLimit, TimeUnit::Hours,
     &DisplayTexts::overPowerLimit},
    {"NV05_settings_edit_ntcover", &Commands::probeOverTemperature, TimeUnit::Hours,
     &DisplayTexts::probeOverTemp},
};
} // namespace

SettingsPageNv05::SettingsPageNv05(QWidget *parent) : SettingsPageBase(parent) {}

void SettingsPageNv05::buildControls(QWidget *body)
{
    buildForm<Ui::SettingsNv05Controls>(body);
}

const char *SettingsPageNv05::bodyName() const
{
    return "NV05_settings_body";
}

void SettingsPageNv05::resolveParts()
{
    resolveCommon("NV05_settings", {"NV05_settings_btn_CN", "NV05_settings_btn_EN"}, kEdits,
                  int(std::size(kEdits)));
    m_shunt = part<QComboBox>("NV05_setting_comboBox");
}

void SettingsPageNv05::refreshOwn(const LiveValues &v, const DisplayTexts &)
{
    // The meters carry their shunt code in the hours byte.
    const int shunt = shuntIndexFromCode(v.limitHours);
    if (shunt < 0)
        qCDebug(lcUi) << "unknown shunt code" << v.limitHours;
    setComboFromReply(m_shunt, shunt);
}

void SettingsPageNv05::on_NV05_settings_btn_CN_clicked()
{
    styleChosen(1);
}
void SettingsPageNv05::on_NV05_settings_btn_EN_clicked()
{
    styleChosen(2);
}

void SettingsPageNv05::on_NV05_settings_slider_worklight_valueChanged(int value)
{
    if (sliderChanged("worklight", value))
        qCDebug(lcUi) << "工作屏幕亮度测试行：0000000000000";
}
void SettingsPageNv05::on_NV05_settings_slider_standlight_valueChanged(int value)
{
    sliderChanged("standlight", value);
}
void SettingsPageNv05::on_NV05_settings_slider_standtime_valueChanged(int value)
{
    sliderChanged("standtime", value);
}
void SettingsPageNv05::on_NV05_setting_comboBox_currentIndexChanged(int index)
{
    comboChanged(m_shunt, index, &Commands::shuntSize);
}
void SettingsPageNv05::on_NV05_settings_slider_tempcali_valueChanged(int value)
{
    sliderChanged("tempcali", value);
}
void SettingsPageNv05::on_NV05_settings_slider_voltcali_valueChanged(int value)
{
    sliderChanged("voltcali", value);
}
void SettingsPageNv05::on_NV05_settings_slider_currcali_valueChanged(int value)
{
    sliderChanged("currcali", value);
}

void SettingsPageNv05::on_NV05_settings_edit_lowvolt_editingFinished()
{
    editFinished("NV05_settings_edit_lowvolt");
}
void SettingsPageNv05::on_NV05_settings_edit_overvolt_editingFinished()
{
    editFinished("NV05_settings_edit_overvolt");
}
void SettingsPageNv05::on_NV05_settings_edit_overpower_editingFinished()
{
    editFinished("NV05_settings_edit_overpower");
}
void SettingsPageNv05::on_NV05_settings_edit_ntcover_editingFinished()
{
    editFinished("NV05_settings_edit_ntcover");
}

void SettingsPageNv05::on_NV05_settings_btn_clearcurrent_clicked()
{
    oneShot(&Commands::clearNoLoadCurrent);
}
void SettingsPageNv05::on_NV05_settings_btn_datazero_clicked()
{
    oneShot(&Commands::clearAccumulated);
}
void SettingsPageNv05::on_NV05_settings_btn_factory_reset_clicked()
{
    oneShot(&Commands::factoryReset);
}
