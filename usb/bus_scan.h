#pragma once
// The bus scan: after the main handle opens, one address request to each bus address in turn,
// paced by its own thread, then the list of instruments that answered (the master first) and
// which of them the link talks to. No widgets: the window's device list and the headless bench
// both follow its signals.

#include <QObject>
#include <QVector>
#include <QString>

class DeviceLink;
class ScanPacer;

namespace usb {

class BusScan : public QObject
{
    Q_OBJECT
public:
    struct Instrument
    {
        quint8 address = 0;
        bool master = false;
        QString model; // its own, or the USB product string's when it names none
    };

    explicit BusScan(DeviceLink &link, QObject *parent = nullptr);
    ~BusScan() override;

    // Polling pauses, the found addresses empty, began() tells the views, and the pacing thread
    // starts (unless a scan is still running, which then delivers this one's result).
    void begin();
    bool running() const;
    // Blocks until a running scan's thread has ended (at most a few seconds).
    void waitForEnd();

    // What the last scan found: the master first, then the others in the order they answered.
    const QVector<Instrument> &instruments() const { return m_instruments; }

    // The instrument the link talks to: one of those found, or none. Choosing another one tells
    // instrumentChosen() first, so that its model is known when currentDeviceChanged() follows.
    void select(quint8 address);
    void deselect();

signals:
    void began();
    // The list is built and polling may go on; currentDeviceChanged() follows when one answered.
    void ended();
    void instrumentChosen();
    // The instrument the link now talks to: its bus address, or "Null" when none is selected.
    void currentDeviceChanged(const QString &number);

private:
    void probe(qint16 address);
    void readReply();
    void end();

    DeviceLink &m_link;
    ScanPacer *m_pacing;
    QVector<Instrument> m_instruments;
};

} // namespace usb
