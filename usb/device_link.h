#pragma once
// The program's own link to the instrument over the main HID handle: opening it, the poll cycle,
// the read step, and the link state that the pages share (bus addresses, the latest values and
// flags, the identified family). The main dialog owns one and hands it to the pages; nothing here
// touches a widget. Everything runs on the GUI thread.

#include "usb/frame_sender.h"
#include "usb/hid_seam.h"
#include "protocol/report_parser.h"
#include "protocol/vocabulary.h"

#include <QObject>
#include <QString>

#include <array>
#include <map>
#include <memory>

class DeviceLink : public QObject, public FrameSender
{
    Q_OBJECT
public:
    static constexpr quint16 kVendorId = 0x0483;
    static constexpr quint16 kProductId = 0x5750;

    enum PollMode : quint8
    {
        NormalPoll = 1,
        UpgradeEntryPoll = 2 // the next poll tick sends the upgrade-entry frame once
    };

    explicit DeviceLink(QObject *parent = nullptr);
    ~DeviceLink() override;

    quint16 vendorId() const { return kVendorId; }
    quint16 productId() const { return kProductId; }

    // Opens the last matching device, replacing (closing) the previous handle, and reads its
    // strings. On failure no handle is left, and polling and reading pause until the next open.
    bool open();
    QString manufacturerString() const { return m_manufacturerString; }
    QString productString() const { return m_productString; }
    QString serialString() const { return m_serialString; }

    // FrameSender: one frame, zero-padded to a 64-byte report; nothing without a handle.
    bool deviceOpen() const override { return m_device != nullptr; }
    void sendReport(const unsigned char *data, int length) override;
    // A command frame with an empty payload to the current bus address.

    // The poll cycle: counts the tick and sends the request that pollMode selects, unless no
    // handle is open or a bus scan runs; with neighbours polled, the same request goes to every
    // other instrument the bus scan found.
    void pollTick();
    quint32 tickCounter() const { return m_tickCounter; }
    quint8 pollMode() const { return m_pollMode; }
    void setPollMode(quint8 mode) { m_pollMode = mode; }
    bool scanBusy() const { return m_scanBusy; }
    void setScanBusy(bool busy) { m_scanBusy = busy; }

    // The read step: takes every report waiting on the handle and applies them in order, so
    // extra requests never leave answers queued behind the live values; then reportsApplied()
    // once and, if a settings reply was among them, settingsReplyArrived(). Returns the number of
    // full reports taken.
    int readStep();
    // Measurement reports taken since the last open: none yet means LiveValues holds no reading.
    quint32 measurementCount() const { return m_measurementCount; }
    // One read of the bus scan (an address reply, or whatever else arrived, parsed the same way).
    void readScanReply();

    // The other instruments on the cable, beside the one at the current address: polled only
    // when asked (the lab link publishes them), their replies told apart by address. Nothing of
    // theirs reaches state().
    struct Neighbour
    {
        proto::LinkState state;
        bool lastStepMeasured = false; // a measurement report came in the last read step
    };
    void setPollsNeighbours(bool polls);
    bool pollsNeighbours() const { return m_pollsNeighbours; }
    const std::map<quint8, Neighbour> &neighbours() const { return m_neighbours; }

    // The state the parser keeps: bus addresses, LiveValues, deviceRunning, the HK09 flag.
    proto::LinkState &state() { return m_state; }
    const proto::LinkState &state() const { return m_state; }
    const proto::LiveValues &live() const { return m_state.live; }
    quint8 currentAddress() const { return m_state.bus.currentAddress; }

    // The model rule: the model of the instrument at the current bus address picks the family
    // (and the HK09 flag). Returns the family it found, NoFamily for an unknown word, which
    // changes nothing.
    proto::Family identifyModel();
    // The model the instrument at `address` named in its address reply, else the product
    // string's second word (the USB device's own).
    QString modelAt(quint8 address) const;
    quint8 familyCode() const { return m_familyCode; }
    QString modelWord() const { return m_modelWord; }

    // Whether a measurement report arrived since the handle opened, and in the last read step:
    // before the first one the live values are only zeros.
    bool measured() const { return m_measured; }
    bool lastStepMeasured() const { return m_lastStepMeasured; }

signals:
    void reportsApplied();
    // Emitted after reportsApplied(); settingsReplyPending is already cleared.
    void settingsReplyArrived();

private:
    QString lastSerialNumber() const;
    bool isNeighbour(int address) const;
    void takeNeighbourReport(quint8 address);

    std::unique_ptr<hid::Device> m_device;
    std::array<unsigned char, 64> m_rxBuffer{};
    proto::LinkState m_state;
    QString m_manufacturerString;
    QString m_productString;
    QString m_serialString;
    QString m_modelWord;
    quint8 m_familyCode = proto::NoFamily;
    quint8 m_pollMode = NormalPoll;
    quint32 m_tickCounter = 0;
    quint32 m_measurementCount = 0;
    bool m_scanBusy = false;
    bool m_measured = false;
    bool m_lastStepMeasured = false;
    bool m_pollsNeighbours = false;
    std::map<quint8, Neighbour> m_neighbours;
};
