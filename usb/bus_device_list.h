#pragma once
// The device list beside the pages: the bus scan's probes and replies, one item per instrument
// that answered (the master ticked and connected, the others idle), and choosing the instrument
// the link talks to by ticking its item.

#include <QObject>
#include <QPair>
#include <QPointer>
#include <QVector>

class DeviceInfoUI;
class DeviceLink;
class QLabel;
class QMovie;
class QTreeWidget;

class BusDeviceList : public QObject
{
    Q_OBJECT
public:
    using Entry = QPair<DeviceInfoUI *, quint8>; // item, bus address
    BusDeviceList(DeviceLink &link, QTreeWidget *tree, QLabel *searching,
                  QObject *parent = nullptr);

    const QVector<Entry> &entries() const { return m_entries; }

    // Empties the list; a scan begins: polling pauses and the searching animation runs.
    void clear();
    void beginScan();
    // The scan's steps, paced by its thread: probe one address, read one reply.
    void probe(qint16 address);
    void readReply();
    // Builds one item per address that answered (none when nobody did) and ends the scan.
    void endScan();

    // What a click on an item's tick does: that instrument becomes the one the link talks to, or
    // none when its tick was taken away.
    void select(DeviceInfoUI *item);
    // Marks the first item as lost with the device.
    void markLost();
    // Item captions in the language now in use.
    void retranslate();

signals:
    // The instrument the link now talks to changed: its number, or "Null" when none is ticked.
    void currentDeviceChanged(const QString &number);

private:
    DeviceInfoUI *addItem(quint8 address, bool master);
    static QString indexText(quint8 address, bool master);

    DeviceLink &m_link;
    QTreeWidget *m_tree;
    QLabel *m_searching;
    QPointer<QMovie> m_movie;
    QVector<Entry> m_entries;
};
