// The dialog's own link to the instrument: opening it when the watcher announces it, the poll
// cycle, the read step, the bus scan and the device list, and the model rule.

#include "app/main_dialog.h"

#include "acquire/acquisition.h"
#include "usb/bus_scan.h"
#include "app/chart_page.h"
#include "usb/device_link.h"
#include "ui/device_list_view.h"
#include "ui/firmware_page.h"
#include "app/page_navigator.h"
#include "app/start_hints.h"
#include "ui_MainDialog.h"
#include "usb/usb_thread.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QTimer>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

void MainDialog::onWatcherConnected(const QString &dev_str)
{
    qCDebug(lcApp) << "关闭USB";
    qCDebug(lcApp) << "设备已连接";
    qCDebug(lcApp) << "设备名称:" << dev_str;
    m_firmwarePage->showDeviceName(dev_str);
    if (m_navigator->currentPage() == home::UpgradePage)
        m_firmwarePage->noteConnected(dev_str);
    showUpgradeConnection(true);
    m_startHints->clearPermission();
    openDevice();
}

void MainDialog::openDevice()
{
    m_devices->clear();
    if (!m_link->open()) {
        explainOpenFailure();
        return;
    }
    m_acquisition->deviceOpened();
    startBusScan();
}

void MainDialog::sendReport(const unsigned char *data, int length)
{
    m_link->sendReport(data, length);
}

void MainDialog::usbdisconnect()
{
    if (m_navigator->currentPage() == home::UpgradePage)
        m_firmwarePage->noteDisconnected();
    showUpgradeConnection(false);
    m_startHints->showTips();
    m_devices->markLost();
    m_acquisition->deviceLost(); // a running run is saved; the status line tells where
}

// The upgrade page's picture follows the connection whichever page is shown, so that it is
// right when the page is opened.
void MainDialog::showUpgradeConnection(bool connected)
{
    m_firmwarePage->showConnection(connected);
}

void MainDialog::identifyModel()
{
    switch (m_link->identifyModel()) {
    case proto::Nv05Family:
        m_navigator->leaveStartPage();
        break;
    case proto::Hk07Family: {
        const bool hk09 = m_link->state().hk09;
        m_displayPage->setFullChargeShown(!hk09);
        m_chartPage->setCurrentAxisRange(hk09 ? 0.0 : -25.0, 25.0);
        m_navigator->leaveStartPage();
        break;
    }
    case proto::NoFamily:
        break;
    }
}

// ---- bus scan: the device list does the work ---------------------------------------------------

const QVector<QPair<ui::DeviceInfoUI *, quint8>> &MainDialog::deviceList() const
{
    return m_devices->entries();
}

void MainDialog::startBusScan()
{
    m_busScan->begin();
    m_startHints->showTips();
}

// The device list has its items; the device title follows once the model is known.
void MainDialog::busScanEnded()
{
    identifyModel();
    m_acquisition->scanEnded(); // the same instrument keeps its run; another one begins a new run
    m_startHints->showTips();
}

QString MainDialog::deviceTitle(const QString &tail) const
{
    return QString("%1%2%3%4").arg(QString(), " | ", m_link->modelWord() + " ", tail);
}
