#pragma once
// A handle on a simulated bus plus the program's own parser, so tests see the instrument exactly
// as the program would: frames out, 64-byte reports back, decoded by proto::parseIncomingReport.

#include "protocol/codes.h"
#include "protocol/frames.h"
#include "protocol/report_parser.h"
#include "sim/simulated_bus.h"

#include <QtTest>

#include <array>
#include <memory>

struct SimLink
{
    explicit SimLink(sim::SimulatedBus &bus, uint8_t address = 1) : bus(bus)
    {
        device = bus.open(sim::SimulatedBus::kVendorId, sim::SimulatedBus::kProductId);
        state.bus.currentAddress = address;
    }

    template <size_t N> int send(const std::array<uint8_t, N> &frame)
    {
        std::array<uint8_t, 64> report{};
        std::copy(frame.begin(), frame.end(), report.begin());
        return device->write(report.data(), report.size());
    }

    // One report, or an empty array when nothing came within `ms`.
    QByteArray read(int ms = 200)
    {
        unsigned char buffer[64] = {};
        const int n = device->readTimeout(buffer, sizeof buffer, ms);
        return n > 0 ? QByteArray(reinterpret_cast<char *>(buffer), n) : QByteArray();
    }

    // Sends a request and parses what comes back; returns the kind the parser saw.
    proto::ReportKind ask(uint8_t code)
    {
        send(proto::requestFrame(state.bus.currentAddress, code, 0x0B, 0x00, 0x8C));
        const QByteArray reply = read();
        return proto::parseIncomingReport(state, reinterpret_cast<const uint8_t *>(reply.data()),
                                          reply.size());
    }
    proto::LiveValues measure()
    {
        const auto kind = ask(proto::CmdMeasurementRequest);
        if (kind != proto::ReportKind::Measurement)
            qWarning("no measurement report");
        return state.live;
    }
    proto::LiveValues settings()
    {
        const auto kind = ask(proto::CmdSettingsRequest);
        if (kind != proto::ReportKind::Settings)
            qWarning("no settings reply");
        return state.live;
    }

    uint8_t address() const { return state.bus.currentAddress; }
    void command(uint8_t code) { send(proto::commandFrame(address(), code)); }
    void setFloat(uint8_t code, float value) { send(proto::floatCommand(address(), code, value)); }
    void setByte(uint8_t code, uint8_t value) { send(proto::byteCommand(address(), code, value)); }
    void run(bool on) { setByte(proto::CmdRunStop, on ? 1 : 0); }

    sim::SimulatedBus &bus;
    std::unique_ptr<hid::Device> device;
    proto::LinkState state;
};

// A bus on the manual clock that answers at once: physics tests run in no wall time.
inline sim::BusConfig manualBus(const sim::InstrumentConfig &instrument = sim::InstrumentConfig())
{
    sim::BusConfig config;
    config.instruments = {instrument};
    config.timeScale = 0;
    config.replyLatencyMs = 0;
    config.writtenKept = 4096;
    return config;
}
