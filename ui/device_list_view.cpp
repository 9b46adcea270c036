#include "ui/device_list_view.h"

#include "usb/bus_scan.h"
#include "ui/device_info_ui.h"
#include "usb/device_link.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMovie>
#include <QTreeWidget>

#include <algorithm>

namespace ui {

namespace {
// The list's texts belong to the main dialog's catalogue.
QString trDialog(const char *text)
{
    return QCoreApplication::translate("MainDialog", text);
}
} // namespace

DeviceListView::DeviceListView(usb::BusScan &scan, const DeviceLink &link, QTreeWidget *tree,
                               QLabel *searching, QObject *parent)
    : QObject(parent), m_scan(scan), m_link(link), m_tree(tree), m_searching(searching)
{
    connect(&scan, &usb::BusScan::began, this, &DeviceListView::showSearching);
    connect(&scan, &usb::BusScan::ended, this, &DeviceListView::showFound);
}

void DeviceListView::clear()
{
    m_tree->clear();
    m_entries.clear();
}

void DeviceListView::showSearching()
{
    clear();
    if (m_movie)
        m_movie->deleteLater();
    m_movie = new QMovie(":/sys/rs/rs/img/searching.gif", QByteArray(), this);
    m_movie->setScaledSize(m_searching->size());
    m_searching->setMovie(m_movie);
    m_searching->setToolTip(trDialog("正在扫描总线设备"));
    m_movie->start();
}

// The bus address itself, the number the frames carry and the page header shows.
QString DeviceListView::indexText(quint8 address, bool master)
{
    return trDialog(master ? "主:%1" : "从:%1").arg(address);
}

DeviceInfoUI *DeviceListView::addItem(const usb::BusScan::Instrument &found)
{
    const quint8 address = found.address;
    const bool master = found.master;
    const QStringList words = m_link.productString().split(' ', Qt::KeepEmptyParts);
    auto *item = new DeviceInfoUI;
    item->setModel(found.model);
    // The USB strings are the device's: its version only for the model it names.
    if (found.model == words.value(1))
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
    connect(item, &DeviceInfoUI::TickShow_Signal, this, &DeviceListView::select);
    return item;
}

void DeviceListView::showFound()
{
    for (const usb::BusScan::Instrument &found : m_scan.instruments()) {
        DeviceInfoUI *item = addItem(found);
        item->setState(found.master ? DeviceInfoUI::Connected : DeviceInfoUI::Idle);
        if (found.master)
            item->markTicked();
    }
    if (m_movie)
        m_movie->stop();
    m_searching->clear();
    m_searching->setToolTip(QString());
}

void DeviceListView::select(DeviceInfoUI *item)
{
    if (!item->isTicked()) {
        item->setState(DeviceInfoUI::Idle);
        m_scan.deselect();
        return;
    }
    for (const Entry &entry : qAsConst(m_entries)) {
        if (entry.first == item) {
            item->setState(DeviceInfoUI::Connected);
            m_scan.select(entry.second);
        } else {
            entry.first->markUnticked();
            entry.first->setState(DeviceInfoUI::Idle);
        }
    }
}

void DeviceListView::markLost()
{
    if (!m_entries.isEmpty())
        m_entries.first().first->setState(DeviceInfoUI::Error);
}

void DeviceListView::retranslate()
{
    const quint8 master = m_link.state().bus.masterAddress;
    for (const Entry &entry : qAsConst(m_entries))
        entry.first->setIndexText(indexText(entry.second, entry.second == master));
}

} // namespace ui
