#pragma once
// A HID backend that passes everything to another one and notes, per handle, when each report
// was read or written: the bench sees the wire as the program does.

#include "protocol/report_parser.h"
#include "usb/hid_seam.h"

#include <QElapsedTimer>

#include <memory>
#include <mutex>
#include <vector>

struct WireEvent
{
    qint64 ns = 0;  // since the tap was made
    int handle = 0; // in order of opening
    bool written = false;
    quint8 command = 0;       // of a written frame
    quint8 argument = 0;      // its first byte after the command
    bool measurement = false; // a read measurement report
    bool loadOn = false;      // as that report says
    float volts = 0;
};

class WireTap : public hid::Backend
{
public:
    explicit WireTap(hid::Backend &inner) : m_inner(inner) { m_clock.start(); }

    QVector<hid::DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override
    {
        return m_inner.enumerate(vendorId, productId);
    }
    std::unique_ptr<hid::Device> open(uint16_t vendorId, uint16_t productId,
                                      const QString &serialNumber = QString()) override;
    QString lastOpenError() const override { return m_inner.lastOpenError(); }

    std::vector<WireEvent> events() const;
    void note(int handle, bool written, const unsigned char *report, int length);

private:
    hid::Backend &m_inner;
    QElapsedTimer m_clock;
    mutable std::mutex m_mutex;
    std::vector<WireEvent> m_events;
    std::vector<proto::LinkState> m_states; // one parser state per handle
};
