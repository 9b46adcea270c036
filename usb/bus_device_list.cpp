#include "bus_device_list.h"

#include "device_info_ui.h"
#include "device_link.h"
#include "frames.h"
#include "usb_log.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMovie>
#include <QTreeWidget>

#include <algorithm>

namespace {
// The list's texts belong to the main dialog's catalogue.
QString trDialog(const char *text)
{
    return QCoreApplication::translate("MainDialog", text);
}
} // namespace

BusDeviceList::BusDeviceList(DeviceLink &link, QTreeWidget *tree, QLabel *searching,
                             QObject *parent)
    : QObject(parent), m_link(link), m_tree(tree), m_searching(searching)
{
}

void BusDeviceList::clear()
{
    m_tree->clear();
    m_entries.clear();
}

void BusDeviceList::beginScan()
{
    m_link.setScanBusy(true);
    clear();
    m_link.state().bus.foundAddresses.clear();

    if (m_movie)
        m_movie->deleteLater();
    m_movie = new QMovie(":/sys/rs/rs/img/searching.gif", QByteArray(), this);
    m_movie->setScaledSize(m_searching->size());
    m_searching->setMovie(m_movie);
    m_searching->setToolTip(trDialog("正在扫描总线设备"));
    m_movie->start();
}

void BusDeviceList::probe(qint16 address)
{
    const auto frame = proto::addressRequest(quint8(address));
    m_link.sendReport(frame.data(), int(frame.size()));
    qCDebug(lcUsb) << "设备地址：" << address;
}

void BusDeviceList::readReply()
{
    m_link.readScanReply();
}

QString BusDeviceList::indexText(quint8 address, bool master)
{
    return trDialog(master ? "主:%1" : "从:%1").arg(address / 2 + 1);
}

DeviceInfoUI *BusDeviceList::addItem(quint8 address, bool master)
{
    const QStringList words = m_link.productString().split(' ', Qt::KeepEmptyParts);
    auto *item = new DeviceInfoUI;
    item->setModel(words.value(1));
    item->setVersion(words.value(2)); // an empty one keeps the form's
    item->setManufacturer(m_link.manufacturerString());
    item->setIndexText(indexText(address, master));
    item->setSerial(m_link.serialString());

    auto *row = new QTreeWidgetItem(m_tree);
    row->setSizeHint(0, item->sizeHint());
    m_tree->setItemWidget(row, 0, item);

    const bool known = std::any_of(m_entries.begin(), m_entries.end(),
                                   [address](const Entry &e) { return e.second == address; });
    if (!known)
        m_entries.append({item, address});
    connect(item, &DeviceInfoUI::TickShow_Signal, this, &BusDeviceList::select);
    return item;
}

void BusDeviceList::endScan()
{
    const proto::BusState &bus = m_link.state().bus;
    const quint8 master = bus.masterAddress;
    // No item for an instrument that did not answer: an empty list says nothing was found.
    if (bus.foundAddresses.empty()) {
        qCWarning(lcUsb) << "bus scan: no instrument answered";
    } else {
        DeviceInfoUI *masterItem = addItem(master, true);
        masterItem->setState(DeviceInfoUI::Connected);
        masterItem->markTicked();
        emit currentDeviceChanged(QString::number(master / 2 + 1));
        qCDebug(lcUsb) << "master" << master << "instruments:" << bus.foundAddresses.size();
    }
    for (quint8 address : bus.foundAddresses)
        if (address != master)
            addItem(address, false)->setState(DeviceInfoUI::Idle);

    m_link.setScanBusy(false);
    if (m_movie)
        m_movie->stop();
    m_searching->clear();
    m_searching->setToolTip(QString());
}

void BusDeviceList::select(DeviceInfoUI *item)
{
    proto::BusState &bus = m_link.state().bus;
    if (!item->isTicked()) {
        bus.currentAddress = 0;
        item->setState(DeviceInfoUI::Idle);
        emit currentDeviceChanged("Null");
        return;
    }
    for (const Entry &entry : qAsConst(m_entries)) {
        if (entry.first == item) {
            item->setState(DeviceInfoUI::Connected);
            bus.currentAddress = entry.second;
            emit currentDeviceChanged(QString::number(entry.second));
        } else {
            entry.first->markUnticked();
            entry.first->setState(DeviceInfoUI::Idle);
        }
    }
}

void BusDeviceList::markLost()
{
    if (!m_entries.isEmpty())
        m_entries.first().first->setState(DeviceInfoUI::Error);
}

void BusDeviceList::retranslate()
{
    const quint8 master = m_link.state().bus.masterAddress;
    for (const Entry &entry : qAsConst(m_entries))
        entry.first->setIndexText(indexText(entry.second, entry.second == master));
}
