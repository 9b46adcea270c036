// The dialog's own link to the instrument: opening it when the watcher announces it, the poll
// cycle, the read step, the bus scan and the device list, and the model rule.

#include "main_dialog.h"

#include "device_info_ui.h"
#include "frames.h"
#include "my_thread.h"
#include "report_parser.h"
#include "ui_MainDialog.h"
#include "usb_thread.h"

#include <QCursor>
#include <QDateTime>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMovie>
#include <QTimer>
#include <QTreeWidgetItem>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

namespace {
bool batteryMode(quint8 workMode)
{
    return workMode == 7 || workMode == 8;
}
} // namespace

void MainDialog::usbconnect(const QString &dev_str)
{
    qCDebug(lcApp) << "关闭USB";
    qCDebug(lcApp) << "设备已连接";
    qCDebug(lcApp) << "设备名称:" << dev_str;
    ui->upgrade_label_devvalue->setText(dev_str);
    if (ui->disp_stackedWidget->currentIndex() == 1) {
        ui->upgrade_text_log->append(tr("设备已连接"));
        ui->upgrade_text_log->append(tr("设备名称:") + dev_str);
        ui->upgrade_label_connect->setStyleSheet(
            "border-image:url(:/sys/rs/rs/usb_connect.png) 0 0 0 0 stretch stretch;");
    }
    ui->Start_label_permission->clear();
    openDevice();
}

void MainDialog::countDevices()
{
    int count = 0;
    const QVector<hid::DeviceInfo> devices = hid::backend().enumerate(m_vendorId, m_productId);
    for (const hid::DeviceInfo &info : devices) {
        if (info.vendorId == m_vendorId && info.productId == m_productId) {
            m_serialList = info.serialNumber; // a copy: the enumeration is gone after this call
            ++count;
            qCDebug(lcApp) << "tick1:" << count;
        }
    }
    qCDebug(lcApp) << "tick2:" << count;
    if (count == 0)
        m_serialList.clear(); // open without a serial number rather than with a stale one
}

void MainDialog::openDevice()
{
    countDevices();
    ui->device_treeWidget->clear();
    m_deviceList.clear();

    m_device =
        hid::backend().open(m_vendorId, m_productId, m_serialList); // replaces (closes) the old
    qCDebug(lcApp) << "当前设备:" << m_serialList;
    if (!m_device) {
        qCDebug(lcApp) << "USB设备打开失败" << hid::backend().lastOpenError();
        explainOpenFailure();
        return;
    }
    qCDebug(lcApp) << "USB设备打开成功";
    m_manufacturerString = m_device->manufacturerString();
    m_productString = m_device->productString();
    qCDebug(lcApp) << "product_string" << m_productString;
    m_serialString = m_device->serialNumberString();
    qCDebug(lcApp) << "number_string" << m_serialString;

    startBusScan();

    if (!m_CurveRunFlag) {
        m_CurveRunFlag = true;
        ui->disp_Btn_Run->setText(tr("停止放电"));
        restartChartWindow();
        ui->disp_Btn_Run->setToolTip(tr("单击停止放电"));
    }
}

void MainDialog::sendReport(const unsigned char *data, int length)
{
    if (!m_device || length < 0)
        return;
    std::array<unsigned char, 64> report{};
    std::copy(data, data + std::min(length, 64), report.begin());
    qCDebug(lcApp) << "send_data" << length;
    const int result = m_device->write(report.data(), report.size());
    qCDebug(lcApp) << "send_data res:" << result;
}

void MainDialog::sendCommand(quint8 code)
{
    if (!m_device)
        return;
    const auto frame = proto::commandFrame(proto::linkState().bus.currentAddress, code);
    sendReport(frame.data(), int(frame.size()));
}

void MainDialog::record_data()
{
    m_tickCounter = proto::nextTickCounter(m_tickCounter);
    proto::RequestFrame frame;
    if (m_pollMode == 2) {
        frame = proto::upgradeEntryFrame();
        m_pollMode = 1;
    } else {
        frame = proto::pollRequest(proto::linkState().bus.currentAddress, m_tickCounter);
    }
    if (m_device && !m_scanBusy)
        sendReport(frame.data(), int(frame.size()));
    // The chart sample and the recorded row of odd ticks are added here by the live chart.
}

void MainDialog::readStep()
{
    if (m_device)
        refreshDisplay();
}

void MainDialog::usbdisconnect()
{
    if (ui->disp_stackedWidget->currentIndex() == 1) {
        ui->upgrade_text_log->append(tr("设备已断开"));
        ui->upgrade_label_connect->setStyleSheet(
            "border-image:url(:/sys/rs/rs/usb_disconnect.png) 0 0 0 0 stretch stretch;");
    }
    if (!m_deviceList.isEmpty())
        m_deviceList.first().first->setState(1);
    if (m_CurveRunFlag) {
        m_CurveRunFlag = false;
        resetRunButtonAfterStop();
    }
}

void MainDialog::resetRunButtonAfterStop()
{
    if (batteryMode(proto::linkState().live.workMode)) {
        ui->disp_Btn_Run->setText(tr("开始"));
        ui->disp_Btn_Run->setToolTip(tr("单击开始"));
    } else {
        ui->disp_Btn_Run->setText(tr("开始放电"));
        ui->disp_Btn_Run->setToolTip(tr("单击开始放电"));
    }
}

void MainDialog::refreshRunButton()
{
    const QPoint pointer = ui->widget->mapFromGlobal(QCursor::pos());
    if (ui->disp_Btn_Run->geometry().contains(pointer))
        return;
    const bool battery = batteryMode(proto::linkState().live.workMode);
    if (proto::linkState().deviceRunning)
        ui->disp_Btn_Run->setText(battery ? tr("停止") : tr("停止放电"));
    else
        ui->disp_Btn_Run->setText(battery ? tr("开始") : tr("开始放电"));
}

void MainDialog::identifyModel()
{
    const QStringList words = m_productString.split(' ', Qt::KeepEmptyParts);
    m_modelWord = words.value(1);
    proto::LinkState &link = proto::linkState();
    const QStringList nv05Family = {"NV05", "NV17", "NV15"};
    const QStringList hk07Family = {"HK07", "MR310", "MR820", "HK09"};
    if (nv05Family.contains(m_modelWord)) {
        m_familyCode = 4;
        qCDebug(lcApp) << "当前设备型号:" << m_modelWord;
        if (ui->disp_stackedWidget->currentIndex() == 8)
            ui->disp_stackedWidget->setCurrentIndex(7);
    } else if (hk07Family.contains(m_modelWord)) {
        m_familyCode = 1;
        link.hk09 = m_modelWord == "HK09";
        const QList<QWidget *> fullChargeWidgets = {
            ui->label_full_v,     ui->lineEdit_value_full_v, ui->label_unit_full_v,
            ui->label_full_a,     ui->label_full_a_less,     ui->lineEdit_value_full_a,
            ui->label_unit_full_a};
        for (QWidget *w : fullChargeWidgets)
            w->setVisible(!link.hk09);
        emit currentAxisRangeChosen(link.hk09 ? 0.0 : -25.0, 25.0);
        qCDebug(lcApp) << "当前设备型号:" << m_modelWord;
        if (ui->disp_stackedWidget->currentIndex() == 8)
            ui->disp_stackedWidget->setCurrentIndex(0);
    }
}

void MainDialog::restartChartWindow()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_anchorMinSecs = now.toSecsSinceEpoch();
    m_anchorMaxSecs = now.addSecs(10).toSecsSinceEpoch();
    emit chartWindowRestarted(m_anchorMinSecs, m_anchorMaxSecs);
}

// ---- bus scan -------------------------------------------------------------------------------

void MainDialog::on_btn_search_clicked()
{
    startBusScan();
}

void MainDialog::startBusScan()
{
    m_scanBusy = true;
    ui->device_treeWidget->clear();
    m_deviceList.clear();
    proto::linkState().bus.foundAddresses.clear();

    if (m_searchMovie)
        m_searchMovie->deleteLater();
    m_searchMovie = new QMovie(":/sys/rs/rs/img/searching.gif", QByteArray(), this);
    m_searchMovie->setScaledSize(ui->label_searching->size());
    ui->label_searching->setMovie(m_searchMovie);
    ui->label_searching->setToolTip(tr("正在扫描总线设备"));
    m_searchMovie->start();

    if (!m_scanThread->isRunning())
        m_scanThread->start();
}

void MainDialog::ThreadSendData_Slot(qint16 addr)
{
    if (m_device) {
        const auto frame = proto::addressRequest(quint8(addr));
        sendReport(frame.data(), int(frame.size()));
    }
    qCDebug(lcApp) << "设备地址：" << addr;
}

void MainDialog::ThreadRecvData_Slot()
{
    if (!m_device)
        return;
    m_device->setNonBlocking(true);
    m_scanBuffer.fill(0);
    const int n = m_device->read(m_scanBuffer.data(), m_scanBuffer.size());
    if (n >= 64) {
        qCDebug(lcApp) << "已接收到地址数据";
        proto::parseIncomingReport(proto::linkState(), m_scanBuffer.data(), 64);
    }
}

QString MainDialog::deviceTitle(const QString &tail) const
{
    return QString("%1%2%3%4").arg(QString(), " | ", m_modelWord + " ", tail);
}

DeviceInfoUI *MainDialog::createDeviceItem(quint8 address, const QStringList &words,
                                           const QString &indexText)
{
    auto *item = new DeviceInfoUI;
    item->setModel(words.value(1));
    if (!words.value(2).isEmpty())
        item->setVersion(words.value(2));
    item->setManufacturer(m_manufacturerString);
    item->setIndexText(indexText);
    item->setSerial(m_serialString.left(6));

    auto *row = new QTreeWidgetItem(ui->device_treeWidget);
    row->setSizeHint(0, item->sizeHint());
    ui->device_treeWidget->setItemWidget(row, 0, item);

    const bool known = std::any_of(m_deviceList.begin(), m_deviceList.end(),
                                   [address](const auto &pair) { return pair.second == address; });
    if (!known) {
        m_deviceList.append({item, address});
        qCDebug(lcApp) << "数据存储成功";
    }
    connect(item, &DeviceInfoUI::TickShow_Signal, this, &MainDialog::TickShow_Slot);
    return item;
}

void MainDialog::ThreadShowData_Slot()
{
    proto::BusState &bus = proto::linkState().bus;
    const quint8 master = bus.masterAddress;
    const QStringList words = m_productString.split(' ', Qt::KeepEmptyParts);
    identifyModel();

    DeviceInfoUI *masterItem = createDeviceItem(master, words, tr("主:%1").arg(master / 2 + 1));
    masterItem->setState(2);
    ui->disp_labDevTiT->setText(deviceTitle(QString::number(master / 2 + 1)));
    qCDebug(lcApp) << "存储的数据信息：" << masterItem << "  第二项：" << master
                   << "设备个数:" << bus.foundAddresses.size();
    masterItem->markTicked();

    for (quint8 address : bus.foundAddresses) {
        qCDebug(lcApp) << "当前总线地址：" << address;
        if (address == master)
            continue;
        DeviceInfoUI *item = createDeviceItem(address, words, tr("从:%1").arg(address / 2 + 1));
        item->setState(0);
    }

    restartChartWindow();
    emit recordedRunCleared();

    m_scanBusy = false;
    if (m_searchMovie)
        m_searchMovie->stop();
    ui->label_searching->clear();
    ui->label_searching->setToolTip(QString());
    qCDebug(lcApp) << "当前存储的设备有：" << m_deviceList.size();
}

void MainDialog::TickShow_Slot(DeviceInfoUI *device_ptr)
{
    proto::BusState &bus = proto::linkState().bus;
    if (device_ptr->isTicked()) {
        for (const auto &pair : qAsConst(m_deviceList)) {
            if (pair.first == device_ptr) {
                pair.first->setState(2);
                bus.currentAddress = pair.second;
                ui->disp_labDevTiT->setText(deviceTitle(QString::number(pair.second)));
            } else {
                pair.first->markUnticked();
                pair.first->setState(0);
            }
        }
    } else {
        ui->disp_labDevTiT->setText(deviceTitle("Null"));
        bus.currentAddress = 0;
        device_ptr->setState(0);
    }
}

// ---- firmware upgrade replies ------------------------------------------------------------------
// The upgrade page drives these once an upgrade is in progress; without one every reply is dropped.

void MainDialog::usbreceivedata(const QByteArray &report, unsigned int length)
{
    Q_UNUSED(report)
    Q_UNUSED(length)
}

void MainDialog::mytimer_timeout() {}

void MainDialog::usbsenderror()
{
    QMessageBox::warning(this, "错误", "USB发送数据异常", QMessageBox::Ok);
    upgradeTimer->stop();
}
