#pragma once
// The simulated instrument bus behind the HID seam: one USB device (vendor 0x0483, product 0x5750)
// with one or more instruments at bus addresses, a firmware loader, a clock that may run faster
// than the wall, and switchable faults. Every open handle gets its own bounded input queue with a
// copy of every reply, as hidraw does; as with hidraw, a full queue drops the newest report. Safe
// to use from several threads: all state sits behind one mutex and readTimeout() waits on a
// condition variable.

#include "sim/demo_option.h"
#include "sim/sim_config.h"

#include "protocol/live_values.h"

#include "usb/hid_seam.h"

#include <QByteArray>
#include <QVector>

#include <memory>
#include <optional>

namespace sim {

class Instrument;
struct BusCore;

class SimulatedBus : public hid::Backend
{
public:
    static constexpr uint16_t kVendorId = 0x0483;
    static constexpr uint16_t kProductId = 0x5750;
    static constexpr int kQueueDepth = 64; // reports kept per handle; further ones are dropped

    explicit SimulatedBus(const BusConfig &config = BusConfig());
    ~SimulatedBus() override;

    // hid::Backend. The one device's product string is "<maker> <MODEL> <version>", MODEL being
    // the master instrument's model.
    QVector<hid::DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<hid::Device> open(uint16_t vendorId, uint16_t productId,
                                      const QString &serialNumber = QString()) override;
    QString lastOpenError() const override;

    // Every open handle dies (read, readTimeout and write return -1), enumerate() lists nothing
    // and open() fails until plug(). Handles opened before stay dead.
    void unplug();
    void plug();
    bool isPlugged() const;

    // Moves the simulated clock on (the only way it moves when timeScale is 0).
    void advance(double simulatedSeconds);
    double now() const; // simulated seconds since construction

    // The 64-byte reports written by any handle, in order: the most recent config.writtenKept
    // (none unless the bus was built to keep them).
    QVector<QByteArray> writtenReports() const;
    void clearWrittenReports();

    // The model at a bus address, brought up to the present; null if none. Direct access meant
    // for tests: do not use it while other threads talk to the bus.
    Instrument *instrument(uint8_t address);
    // What the instrument at `address` would report now (a copy, taken under the bus lock, so
    // safe while the program talks to the bus); empty if there is none.
    std::optional<proto::LiveValues> readings(uint8_t address);
    uint8_t masterAddress() const;

    struct Faults
    {
        double lostReplyRate = 0;    // share of replies that never arrive
        double corruptRate = 0;      // share of replies with one byte changed
        bool foreignAddress = false; // measurement and settings replies carry another address
        bool shortReads = false;     // every read returns fewer than 64 bytes
        bool loaderFails = false;    // the loader answers 0x11 (see loaderFailAtPacket)
        bool loaderSilent = false;   // the loader never answers
        int loaderFailAtPacket = -1; // with loaderFails: this packet fails; -1: programming fails
    };
    void setFaults(const Faults &f);
    Faults faults() const;

    // The firmware image the loader has received so far (kept after programming).
    QByteArray loaderImage() const;
    // Microseconds from each reply becoming readable to the host's next write (the latest 65,536),
    // on a full-speed link: how much of its frame the host spends answering.
    QVector<double> answerDelays() const;
    bool inLoader() const;
    // Simulated seconds the loader takes to program a received image (default 2).
    void setProgrammingSeconds(double seconds);

private:
    std::shared_ptr<BusCore> m_core;
};

} // namespace sim
