// The display page wired to the link and the run, and the read step's redraw: after the link
// applied the waiting reports, the pages show LiveValues once.

#include "app/main_dialog.h"

#include "acquire/acquisition.h"
#include "usb/device_link.h"
#include "ui/display_page.h"
#include "protocol/display_texts.h"
#include "app/page_navigator.h"
#include "ui/settings_page_hk07.h"
#include "ui/settings_page_nv05.h"
#include "ui_MainDialog.h"
#include "ui/window_fit.h"

void MainDialog::setUpDisplayPage()
{
    m_displayPage = ui->page_disp;
    m_displayPage->attach(&link(), &link().state(), &runSession());
    // The run button's text follows the run at the acquisition's pace.
    connect(&acquisition(), &acquire::Acquisition::stepped, m_displayPage,
            &ui::DisplayPage::refreshRunButton);
    adaptMainWindow(this);
}

void MainDialog::refreshDisplay()
{
    const proto::LiveValues &v = link().live();
    const quint8 familyCode = link().familyCode();
    m_displayPage->showLive(v, familyCode);

    const DisplayTexts t = displayTexts(v, familyCode);
    m_navigator->showModeTitle(t);
    if (SettingsPageBase *page = settingsPage())
        page->showReadings(t);
}

// A settings reply refreshes the page of the device's family.
void MainDialog::refreshSettingsPage()
{
    if (SettingsPageBase *page = settingsPage())
        page->refreshFromReply(link().live(), displayTexts(link().live(), link().familyCode()));
}

SettingsPageBase *MainDialog::settingsPage() const
{
    switch (link().familyCode()) {
    case proto::Hk07Family:
        return ui->page_settings;
    case proto::Nv05Family:
        return ui->NV05_settings_page;
    default:
        return nullptr;
    }
}
