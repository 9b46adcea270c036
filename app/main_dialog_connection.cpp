// The dialog's own link to the instrument: opening it when the watcher announces it, the poll
// cycle, the read step, the bus scan and the device list, and the model rule.

#include "main_dialog.h"

#include "acquisition.h"
#include "bus_scan.h"
#include "device_link.h"
#include "device_list_view.h"
#include "firmware_page.h"
#include "live_chart.h"
#include "page_navigator.h"
#include "ui_MainDialog.h"
#include "usb_thread.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QTimer>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

void MainDialog::usbconnect(const QString &dev_str)
{
    qCDebug(lcApp) << "关闭USB";
    qCDebug(lcApp) << "设备已连接";
    qCDebug(lcApp) << "设备名称:" << dev_str;
    m_firmwarePage->showDeviceName(dev_str);
    if (m_navigator->currentPage() == home::UpgradePage)
        m_firmwarePage->noteConnected(dev_str);
    showUpgradeConnection(true);
    ui->Start_label_permission->clear();
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
    showStartTips();
    m_devices->markLost();
    m_acquisition->deviceLost(); // a running run is saved; the status line tells where
}

// The upgrade page's picture follows the connection whichever page is shown, so that it is
// right when the page is opened.
void MainDialog::showUpgradeConnection(bool connected)
{
    m_firmwarePage->showConnection(connected);
}

// The start page asks for the cable until an instrument is open, then says that it was found
// and the bus is being scanned, and after the scan what kept it from being identified.
void MainDialog::showStartTips()
{
    QString tips = tr("请使用数据线将设备的HID口与电脑相连接！");
    if (m_link->deviceOpen() && m_link->scanBusy())
        tips = tr("已找到设备，正在扫描总线上的仪表……");
    else if (m_link->deviceOpen() && deviceList().isEmpty())
        tips = tr("已找到设备，但总线上没有仪表应答。请检查仪表后点击搜索按钮重试。");
    else if (m_link->deviceOpen() && m_link->familyCode() == DeviceLink::NoFamily)
        tips = tr("已找到设备，但无法识别其型号。");
    ui->Tips_label->setText(tips);
}

void MainDialog::identifyModel()
{
    switch (m_link->identifyModel()) {
    case DeviceLink::Nv05Family:
        m_navigator->leaveStartPage();
        break;
    case DeviceLink::Hk07Family: {
        const bool hk09 = m_link->state().hk09;
        m_displayPage->setFullChargeShown(!hk09);
        emit currentAxisRangeChosen(hk09 ? 0.0 : -25.0, 25.0);
        m_navigator->leaveStartPage();
        break;
    }
    case DeviceLink::NoFamily:
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
    showStartTips();
}

// The device list has its items; the device title follows once the model is known.
void MainDialog::busScanEnded()
{
    identifyModel();
    m_acquisition->scanEnded(); // the same instrument keeps its run; another one begins a new run
    showStartTips();
}

QString MainDialog::deviceTitle(const QString &tail) const
{
    return QString("%1%2%3%4").arg(QString(), " | ", m_link->modelWord() + " ", tail);
}
