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
     &DisplayTexts::dischargeStopVoltage, kVoltageLimitField},
    {"NV05_settings_edit_overvolt", &Commands::chargeStopVoltage, TimeUnit::Hours,
     &DisplayTexts::chargeStopVoltage, kVoltageLimitField},
    {"NV05_settings_edit_overpower", &Commands::overPowerLimit, TimeUnit::Hours,
     &DisplayTexts::overPowerLimit, kPowerLimitField},
    {"NV05_settings_edit_ntcover", &Commands::probeOverTemperature, TimeUnit::Hours,
     &DisplayTexts::probeOverTemp, kTemperatureLimitField},
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
    connect(m_shunt, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int index) { comboChanged(m_shunt, index, &Commands::shuntSize); });
}

void SettingsPageNv05::refreshOwn(const LiveValues &v, const DisplayTexts &)
{
    // The meters carry their shunt code in the hours byte.
    const int shunt = shuntIndexFromCode(v.limitHours);
    if (shunt < 0)
        qCDebug(lcUi) << "unknown shunt code" << v.limitHours;
    setComboFromReply(m_shunt, shunt);
}
