// Feeds arbitrary reports (up to 64 bytes, every shorter length too) to everything that reads
// bytes from the instrument, and checks the rules the rest of the program relies on.

#include "protocol/codes.h"
#include "protocol/crc16.h"
#include "tests/fuzz/fuzz_check.h"
#include "protocol/number_format.h"
#include "protocol/report_parser.h"
#include "protocol/upgrade_packets.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace proto;

namespace {

// Everything a report may change, as bytes (floats bit for bit through the settings layout).
QByteArray snapshot(const LinkState &s)
{
    QByteArray bytes;
    const auto settings = encodeSettings(0, s.live);
    bytes.append(reinterpret_cast<const char *>(settings.data()), int(settings.size()));
    const LiveValues &v = s.live;
    for (float f : {v.voltage, v.current, v.power, v.resistance, v.energy, v.capacity, v.cpuTemp,
                    v.ntcTemp, v.mosTemp, v.fanSpeed})
        bytes.append(reinterpret_cast<const char *>(&f), sizeof f);
    for (uint8_t b :
         {v.signFlags, v.popupCountdown, v.popupType, v.popupChoice, uint8_t(s.deviceRunning),
          uint8_t(s.settingsReplyPending), s.bus.currentAddress, s.bus.masterAddress})
        bytes.append(char(b));
    for (uint8_t a : s.bus.foundAddresses)
        bytes.append(char(a));
    return bytes;
}

void checkParse(LinkState &state, const uint8_t *report, int length)
{
    const QByteArray before = snapshot(state);
    const ReportKind kind = parseIncomingReport(state, report, length);

    switch (kind) {
    case ReportKind::Ignored:
        FUZZ_CHECK(snapshot(state) == before);
        break;
    case ReportKind::AddressReply:
        FUZZ_CHECK(length >= 10 && report[3] == 0x04 && report[8] == 0xEE && report[9] == 0xFF);
        FUZZ_CHECK(std::find(state.bus.foundAddresses.begin(), state.bus.foundAddresses.end(),
                             report[2]) != state.bus.foundAddresses.end());
        break;
    case ReportKind::Measurement: {
        FUZZ_CHECK(length == kReportSize && report[2] == state.bus.currentAddress);
        const LiveValues &v = state.live;
        FUZZ_CHECK(std::fabs(v.voltage) < 500.0f && std::fabs(v.current) < 1500.0f);
        FUZZ_CHECK(std::fabs(v.cpuTemp) < 300.0f && std::fabs(v.ntcTemp) < 300.0f &&
                   std::fabs(v.mosTemp) < 300.0f);
        FUZZ_CHECK(!(state.hk09 && v.current < 0));
        FUZZ_CHECK(v.popupType * 10 + v.popupChoice == report[54]);
        FUZZ_CHECK(state.deviceRunning == (report[52] != 0));
        break;
    }
    case ReportKind::Settings: {
        FUZZ_CHECK(length == kReportSize && report[62] == 0xEE && report[63] == 0xFF);
        FUZZ_CHECK(state.settingsReplyPending);
        // The body must come back out of the encoder unchanged.
        const auto again = encodeSettings(report[2], state.live);
        FUZZ_CHECK(std::memcmp(again.data() + 4, report + 4, 51) == 0);
        break;
    }
    }

    // The found-address list never holds an address twice.
    std::vector<uint8_t> found = state.bus.foundAddresses;
    std::sort(found.begin(), found.end());
    FUZZ_CHECK(std::adjacent_find(found.begin(), found.end()) == found.end());
}

void checkUpgradeReply(const uint8_t *report, int length)
{
    const UpgradeReplyInfo info = classifyUpgradeReply(report, length);
    if (info.kind == UpgradeReply::Ignored) {
        FUZZ_CHECK(info.packetIndex == -1);
        return;
    }
    FUZZ_CHECK(length >= 2);
    switch (info.kind) {
    case UpgradeReply::HandshakeAccepted:
        FUZZ_CHECK(report[1] == 0xBB && report[2] >= 3 && report[2] <= 63 &&
                   report[2] <= length - 1);
        FUZZ_CHECK(!frameCrcMismatch(report + 1, size_t(length - 1)));
        break;
    case UpgradeReply::PacketReceived:
        FUZZ_CHECK(length >= 5 && info.packetIndex == (report[3] | report[4] << 8));
        break;
    default:
        FUZZ_CHECK(info.packetIndex == -1);
        break;
    }
}

void checkCrcFrame(const uint8_t *frame, size_t length)
{
    const bool mismatch = frameCrcMismatch(frame, length);
    if (!mismatch) {
        const size_t l = frame[1];
        FUZZ_CHECK(l >= 3 && l <= length); // L = 2 can never agree: its length byte is stored CRC
        FUZZ_CHECK(crc16(frame, l - 2) == uint16_t(frame[l - 2] | frame[l - 1] << 8));
    }
    // Rebuilding the CRC of a frame must make it agree (from L = 4 the CRC no longer overlaps
    // the length byte).
    if (length >= 4 && frame[1] >= 4 && frame[1] <= length) {
        std::vector<uint8_t> copy(frame, frame + length);
        storeFrameCrc(copy.data(), copy.size());
        FUZZ_CHECK(!frameCrcMismatch(copy.data(), copy.size()));
    }
}

void checkTexts(const uint8_t *bytes, size_t length)
{
    if (length < 6)
        return;
    float value;
    std::memcpy(&value, bytes, sizeof value);
    const int width = bytes[4] % 24;
    const int decimals = bytes[5] % 10;
    const QString text = formatFixed(value, width, decimals);
    if (std::isfinite(value))
        FUZZ_CHECK(text.size() >= width);
    formatNv05Amount(value);
    formatNtc(value);
    FUZZ_CHECK(formatSetPoint(bytes[4], value).isEmpty() == (bytes[4] >= 10));
}

void checkUpgradePackets(const uint8_t *bytes, size_t length)
{
    const QByteArray image(reinterpret_cast<const char *>(bytes), int(length));
    const int count = packetCount(image.size());
    for (int k = 0; k < count; ++k) {
        const auto packet = dataPacket(image, k);
        FUZZ_CHECK(!frameCrcMismatch(packet.data(), packet.size()));
    }
    const auto handshake = handshakePacket(image.size());
    FUZZ_CHECK(!frameCrcMismatch(handshake.data(), handshake.size()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("protocol.debug=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const size_t length = std::min<size_t>(size, kReportSize);
    // Exactly `length` readable bytes on the heap, so any read past them is caught.
    std::vector<uint8_t> report(data, data + length);
    const uint8_t *bytes = report.data();
    const int n = int(length);

    // A fresh state, one that already listens to the report's address (so address-gated paths
    // are reached) with the HK09 rule on, and one that lives across inputs like the real one.
    LinkState fresh;
    checkParse(fresh, bytes, n);
    LinkState listening;
    listening.hk09 = true;
    listening.bus.currentAddress = length > 2 ? bytes[2] : 1;
    checkParse(listening, bytes, n);
    static LinkState longLived;
    checkParse(longLived, bytes, n);

    checkUpgradeReply(bytes, n);
    checkCrcFrame(bytes, length);
    crc16(bytes, length);
    checkTexts(bytes, length);
    checkUpgradePackets(bytes, length);
    return 0;
}
