// The display page wired to the link and the run, and the read step's redraw: after the link
// applied the waiting reports, the pages show LiveValues once.

#include "main_dialog.h"

#include "acquisition.h"
#include "device_link.h"
#include "display_page.h"
#include "display_texts.h"
#include "settings_page_hk07.h"
#include "settings_page_nv05.h"
#include "ui_MainDialog.h"
#include "window_fit.h"

void MainDialog::setUpDisplayPage()
{
    m_displayPage = ui->page_disp;
    m_displayPage->attach(m_link, &m_link->state(), m_session);
    // The run button's text follows the run at the acquisition's pace.
    connect(m_acquisition, &acquire::Acquisition::stepped, m_displayPage,
            &ui::DisplayPage::refreshRunButton);
    connect(m_displayPage, &ui::DisplayPage::homeRequested, this,
            [this] { goHomeAfterReturn(false); });
    connect(m_displayPage, &ui::DisplayPage::settingsRequested, this,
            [this] { openSettingsPage(tr("仪表参数设置")); });
    connect(m_displayPage, &ui::DisplayPage::upgradeRequested, this, &MainDialog::openUpgradePage);
    connect(m_displayPage, &ui::DisplayPage::chartMenuRequested, this, &MainDialog::showChartMenu);
    adaptMainWindow(this);
}

void MainDialog::refreshDisplay()
{
    const proto::LiveValues &v = m_link->live();
    const quint8 familyCode = m_link->familyCode();
    m_displayPage->showLive(v, familyCode);

    const DisplayTexts t = displayTexts(v, familyCode);
    if (t.titleLabel == DisplayTexts::TitleLabel::Six)
        ui->six_labTitle->setText(tr(t.title));
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
