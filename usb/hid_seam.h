#pragma once
// The one seam between the program and an instrument: a small interface that mirrors the hidapi
// calls the program makes. HidapiBackend talks to real hardware; the simulated instrument in sim/
// implements the same interface. Everything else opens devices only through hid::backend().

#include <QString>
#include <QVector>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace hid {

struct DeviceInfo
{
    QString path;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    QString serialNumber;
    QString manufacturer;
    QString product;
};

// One open handle. Results follow hidapi: bytes transferred, 0 for "nothing yet", -1 on error.
class Device
{
public:
    virtual ~Device() = default; // closing the handle (hid_close)

    virtual int write(const unsigned char *data, size_t length) = 0;
    // Honours the non-blocking mode: returns 0 at once when nothing is queued.
    virtual int read(unsigned char *data, size_t length) = 0;
    // Waits at most `milliseconds` (-1: without limit) for one report.
    virtual int readTimeout(unsigned char *data, size_t length, int milliseconds) = 0;
    virtual int setNonBlocking(bool nonBlocking) = 0;

    // Empty text when the device cannot tell (hid_get_*_string failing).
    virtual QString manufacturerString() = 0;
    virtual QString productString() = 0;
    virtual QString serialNumberString() = 0;
};

class Backend
{
public:
    virtual ~Backend() = default;
    virtual QVector<DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) = 0;
    // An empty serial number opens the first matching device. Null on failure.
    virtual std::unique_ptr<Device> open(uint16_t vendorId, uint16_t productId,
                                         const QString &serialNumber = QString()) = 0;
    // Why the last open failed, for the log and the start page.
    virtual QString lastOpenError() const { return QString(); }
    // The device is there but this user may not open it (a missing udev rule).
    virtual bool lastOpenDeniedPermission() const { return false; }
};

// The backend chosen at start-up. Defaults to hidapi; tests and --demo install the simulator.
Backend &backend();
// Installs `b` (not owned; must outlive its use). Null restores the hidapi backend.
void setBackend(Backend *b);

} // namespace hid
