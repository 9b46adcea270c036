#pragma once
// The device list beside the pages: the searching animation while the bus scan runs, one item per
// instrument it found (the master ticked and connected, the others idle), and the ticks that
// choose the instrument the link talks to.

#include "usb/bus_scan.h"

#include <QObject>
#include <QPair>
#include <QPointer>
#include <QVector>

class QLabel;
class QMovie;
class QTreeWidget;
class DeviceLink;

namespace ui {

class DeviceInfoUI;

class DeviceListView : public QObject
{
    Q_OBJECT
public:
    using Entry = QPair<DeviceInfoUI *, quint8>; // item, bus address
    DeviceListView(usb::BusScan &scan, const DeviceLink &link, QTreeWidget *tree, QLabel *searching,
                   QObject *parent = nullptr);

    const QVector<Entry> &entries() const { return m_entries; }

    // Empties the list.
    void clear();
    // What a click on an item's tick does: that instrument becomes the one the link talks to, or
    // none when its tick was taken away.
    void select(DeviceInfoUI *item);
    // Marks the first item as lost with the device.
    void markLost();
    // Item captions in the language now in use.
    void retranslate();

private:
    void showSearching();
    void showFound();
    DeviceInfoUI *addItem(const usb::BusScan::Instrument &found);
    static QString indexText(quint8 address, bool master);

    usb::BusScan &m_scan;
    const DeviceLink &m_link;
    QTreeWidget *m_tree;
    QLabel *m_searching;
    QPointer<QMovie> m_movie;
    QVector<Entry> m_entries;
};

} // namespace ui
