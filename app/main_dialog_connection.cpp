// What the window shows of the instrument's connection, as the core tells it: the upgrade page's
// picture, the start page's hints, the device list, and the pages of the identified family.

#include "app/main_dialog.h"

#include "app/chart_page.h"
#include "app/page_navigator.h"
#include "app/start_hints.h"
#include "ui/device_list_view.h"
#include "ui/display_page.h"
#include "ui/firmware_page.h"
#include "ui_MainDialog.h"

void MainDialog::instrumentConnected(const QString &name)
{
    m_firmwarePage->showDeviceName(name);
    if (m_navigator->currentPage() == home::UpgradePage)
        m_firmwarePage->noteConnected(name);
    showUpgradeConnection(true);
    m_startHints->clearPermission();
    m_devices->clear();
}

void MainDialog::instrumentLost()
{
    if (m_navigator->currentPage() == home::UpgradePage)
        m_firmwarePage->noteDisconnected();
    showUpgradeConnection(false);
    m_startHints->showTips();
    m_devices->markLost();
}

// The upgrade page's picture follows the connection whichever page is shown, so that it is
// right when the page is opened.
void MainDialog::showUpgradeConnection(bool connected)
{
    m_firmwarePage->showConnection(connected);
}

void MainDialog::instrumentIdentified(quint8 family)
{
    switch (family) {
    case proto::Nv05Family:
        m_navigator->leaveStartPage();
        break;
    case proto::Hk07Family: {
        const bool hk09 = link().state().hk09;
        m_displayPage->setFullChargeShown(!hk09);
        m_chartPage->setCurrentAxisRange(hk09 ? 0.0 : -25.0, 25.0);
        m_navigator->leaveStartPage();
        break;
    }
    default:
        break;
    }
    m_startHints->showTips();
}

const QVector<QPair<ui::DeviceInfoUI *, quint8>> &MainDialog::deviceList() const
{
    return m_devices->entries();
}

QString MainDialog::deviceTitle(const QString &tail) const
{
    return QString("%1%2%3%4").arg(QString(), " | ", link().modelWord() + " ", tail);
}
