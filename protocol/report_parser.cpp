#include "protocol/report_parser.h"

#include "protocol/codes.h"
#include "protocol/logging.h"

#include <algorithm>
#include <cctype>

namespace proto {

namespace {

bool hasTrailerAt(const uint8_t *report, int length, int offset)
{
    return offset + 1 < length && report[offset] == kTrailer0 && report[offset + 1] == kTrailer1;
}

// The model word an address reply carries, if it carries a plausible one (letters and digits).
std::string announcedModel(const uint8_t *report, int length)
{
    std::string model;
    const int end = std::min(length, kAddressReplyModelAt + kAddressReplyModelLength);
    for (int i = kAddressReplyModelAt; i < end && report[i] != 0; ++i) {
        const char c = char(report[i]);
        if (!std::isalnum(static_cast<unsigned char>(c)) || (c & 0x80))
            return std::string();
        model += c;
    }
    return model;
}

void takeAddressReply(LinkState &state, const uint8_t *report, int length)
{
    const uint8_t address = report[2];
    state.bus.models[address] = announcedModel(report, length);
    if (report[4] == 1) {
        state.bus.masterAddress = address;
        state.bus.currentAddress = address;
    }
    qCDebug(lcProtocol) << "接收到设备扫描的数据:" << address;
    auto &found = state.bus.foundAddresses;
    if (std::find(found.begin(), found.end(), address) == found.end())
        found.push_back(address);
    for (int i = 0; i < 7; ++i)
        qCDebug(lcProtocol).nospace() << "测试" << i + 1 << ":" << report[i];
    qCDebug(lcProtocol) << "数组大小:" << found.size();
}

} // namespace

int replyAddress(const uint8_t *report, int length)
{
    if (!report || length < 4 || report[0] != kReplyStart || report[1] != kFrameKind)
        return -1;
    return report[2];
}

ReportKind parseIncomingReport(LinkState &state, const uint8_t *report, int length)
{
    // Start bytes, address and code are needed to sort anything at all.
    if (!report || length < 4)
        return ReportKind::Ignored;
    if (report[0] != kReplyStart || report[1] != kFrameKind)
        return ReportKind::Ignored;

    const uint8_t code = report[3];
    // Address replies come from whichever instrument was probed, so the address is not checked.
    // One whose trailer is missing (or cut off) is treated like any other reply below.
    if (code == ReplyAddress && hasTrailerAt(report, length, 8)) {
        takeAddressReply(state, report, length);
        return ReportKind::AddressReply;
    }
    if (report[2] != state.bus.currentAddress)
        return ReportKind::Ignored;

    if (code == ReplyMeasurement && length == kReportSize) {
        decodeMeasurement(state, report);
        return ReportKind::Measurement;
    }
    if (code == ReplySettings && length >= kReportSize && hasTrailerAt(report, kReportSize, 62)) {
        decodeSettings(state, report);
        return ReportKind::Settings;
    }
    return ReportKind::Ignored;
}

} // namespace proto
