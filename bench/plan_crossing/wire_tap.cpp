#include "wire_tap.h"

namespace {

class TappedDevice : public hid::Device
{
public:
    TappedDevice(std::unique_ptr<hid::Device> inner, WireTap &tap, int handle)
        : m_inner(std::move(inner)), m_tap(tap), m_handle(handle)
    {
    }
    int write(const unsigned char *data, size_t length) override
    {
        m_tap.note(m_handle, true, data, int(length));
        return m_inner->write(data, length);
    }
    int read(unsigned char *data, size_t length) override
    {
        return noted(data, m_inner->read(data, length));
    }
    int readTimeout(unsigned char *data, size_t length, int milliseconds) override
    {
        return noted(data, m_inner->readTimeout(data, length, milliseconds));
    }
    int setNonBlocking(bool nonBlocking) override { return m_inner->setNonBlocking(nonBlocking); }
    QString manufacturerString() override { return m_inner->manufacturerString(); }
    QString productString() override { return m_inner->productString(); }
    QString serialNumberString() override { return m_inner->serialNumberString(); }

private:
    int noted(const unsigned char *data, int result)
    {
        if (result >= 64)
            m_tap.note(m_handle, false, data, result);
        return result;
    }
    std::unique_ptr<hid::Device> m_inner;
    WireTap &m_tap;
    int m_handle;
};

} // namespace

std::unique_ptr<hid::Device> WireTap::open(uint16_t vendorId, uint16_t productId,
                                           const QString &serialNumber)
{
    std::unique_ptr<hid::Device> device = m_inner.open(vendorId, productId, serialNumber);
    if (!device)
        return nullptr;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_states.emplace_back();
    return std::make_unique<TappedDevice>(std::move(device), *this, int(m_states.size()) - 1);
}

void WireTap::note(int handle, bool written, const unsigned char *report, int length)
{
    WireEvent event;
    event.ns = m_clock.nsecsElapsed();
    event.handle = handle;
    event.written = written;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (written) {
        event.command = length > 3 ? report[3] : 0;
        event.argument = length > 4 ? report[4] : 0;
    } else {
        proto::LinkState &state = m_states[size_t(handle)];
        event.measurement =
            proto::parseIncomingReport(state, report, 64) == proto::ReportKind::Measurement;
        event.loadOn = state.deviceRunning;
        event.volts = state.live.voltage;
    }
    m_events.push_back(event);
}

std::vector<WireEvent> WireTap::events() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}
