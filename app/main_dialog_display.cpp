// The read step's redraw: after the link applied the waiting reports, every live text of the
// display and settings pages is drawn once from LiveValues.

#include "main_dialog.h"

#include "catalogue_text.h"
#include "device_link.h"
#include "display_page.h"
#include "display_texts.h"
#include "input_confirm.h"
#include "settings_page_hk07.h"
#include "settings_page_nv05.h"
#include "ui_MainDialog.h"

#include <QLineEdit>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

namespace {
// Titles, captions and units are kept by their source, so that a language switch shows them again.
void showCatalogueText(QWidget *label, const char *source)
{
    ui::setCatalogueText(label, "MainDialog", source);
}

// The user's own typing wins over the instrument's echo.
void setUnlessFocused(QLineEdit *edit, const QString &text)
{
    if (!heldByUser(edit))
        edit->setText(text);
}
} // namespace

void MainDialog::refreshDisplay()
{
    const proto::LiveValues &v = m_link->live();
    const quint8 familyCode = m_link->familyCode();
    m_displayPage->followPopup(v);

    const DisplayTexts t = displayTexts(v, familyCode);
    QFont unitFont = ui->disp_label_WH->font();
    unitFont.setPointSize(t.energyUnitPointSize);
    ui->disp_label_WH->setFont(unitFont);
    showCatalogueText(ui->disp_label_WH, t.energyUnit);
    showCatalogueText(ui->disp_label_mAh, t.capacityUnit);

    qCDebug(lcApp) << "测试1" << t.voltage << "测试2" << t.current << "测试3" << t.power << "测试4"
                   << t.resistance << "测试5" << t.energy << "测试6" << t.capacity << "测试7"
                   << t.cpuTemp << "测试8" << t.ntcTemp << "测试9" << t.mosTemp << "测试10"
                   << v.fanSpeed;

    ui->disp_label_VOL->setText(t.voltage);
    ui->disp_label_CUR->setText(t.current);
    ui->disp_label_POW->setText(t.power);
    ui->disp_label_RES->setText(t.resistance);
    ui->disp_label_ELE->setText(t.energy);
    ui->disp_label_CAP->setText(t.capacity);
    ui->disp_label_CPU_VALUE->setText(t.cpuTemp);
    ui->disp_label_NTC_VALUE->setText(t.ntcTemp);
    ui->disp_label_FANT_VALUE->setText(t.mosTemp);
    ui->disp_label_FANS_VALUE->setText(t.fanSpeed);

    if (t.titleLabel == DisplayTexts::TitleLabel::Display)
        showCatalogueText(ui->disp_labTitle, t.title);
    else if (t.titleLabel == DisplayTexts::TitleLabel::Six)
        showCatalogueText(ui->six_labTitle, t.title);
    if (t.caption) {
        showCatalogueText(ui->label_cons, t.caption);
        showCatalogueText(ui->label_unit, t.unit);
    }

    qCDebug(lcApp) << "测试11" << t.setPoint << "测试12" << t.tempCalibration << "测试13"
                   << t.voltCalibration << "测试14" << t.currCalibration << "测试15"
                   << t.dischargeStopVoltage << "测试16" << t.chargeStopVoltage << "测试17"
                   << t.chargeStopCurrent << "测试18" << t.overCurrentLimit << "测试19"
                   << t.overPowerLimit << "测试20" << t.probeOverTemp << "测试21" << t.mosOverTemp
                   << "测试22" << t.limitHours << "测试23" << t.limitMinutes;

    setUnlessFocused(ui->lineEdit_value, t.setPoint);
    setUnlessFocused(ui->lineEdit_value_full_a, t.chargeStopCurrent);
    setUnlessFocused(ui->lineEdit_value_full_v, t.chargeStopVoltage);
    setUnlessFocused(ui->lineEdit_value_lilitime_h, t.limitHours);
    setUnlessFocused(ui->lineEdit_value_limitime_m, t.limitMinutes);
    setUnlessFocused(ui->lineEdit_value_zero_v, t.dischargeStopVoltage);

    if (familyCode == DeviceLink::Hk07Family) {
        ui->settings_lab_voltvalue->setText(t.voltage);
        ui->settings_lab_currvalue->setText(t.current);
        ui->settings_lab_tempvalue->setText(t.ntcTemp);
    } else if (familyCode == DeviceLink::Nv05Family) {
        ui->NV05_settings_lab_voltvalue->setText(t.voltage);
        ui->NV05_settings_lab_currvalue->setText(t.current);
        ui->NV05_settings_lab_tempvalue->setText(t.ntcTemp);
    }
}

// A settings reply refreshes the page of the device's family.
void MainDialog::refreshSettingsPage()
{
    const quint8 family = m_link->familyCode();
    const DisplayTexts t = displayTexts(m_link->live(), family);
    if (family == DeviceLink::Hk07Family)
        ui->page_settings->refreshFromReply(m_link->live(), t);
    else if (family == DeviceLink::Nv05Family)
        ui->page_2->refreshFromReply(m_link->live(), t);
}
