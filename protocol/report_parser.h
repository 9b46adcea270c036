#pragma once
// Sorting of incoming reports, the bus-address state they update, and the wire layout of the
// measurement and settings replies (decoders for the program, encoders for the simulated
// instrument, so both sides share one layout).

#include "protocol/live_values.h"

#include <array>
#include <cstdint>
#include <vector>
#include <map>
#include <string>

namespace proto {

struct BusState
{
    uint8_t currentAddress = 1; // carried by every frame; replies must come from it
    uint8_t masterAddress = 1;  // the instrument that answered the scan with the selection marker
    std::vector<uint8_t> foundAddresses; // distinct addresses that answered, in order of answer
    // The model each instrument named in its address reply; an instrument that names none is
    // the one the USB product string describes.
    std::map<uint8_t, std::string> models;
};

struct LinkState
{
    BusState bus;
    LiveValues live;
    bool deviceRunning = false;
    bool settingsReplyPending = false; // a settings reply arrived and has not been shown yet
    bool hk09 = false;                 // this model's current is never negative
};

enum class ReportKind
{
    Ignored,
    AddressReply,
    Measurement,
    Settings
};

// Sorts one incoming report and stores what it carries. `length` is the number of bytes read;
// nothing beyond it is examined. Only full 64-byte measurement and settings replies are taken.
ReportKind parseIncomingReport(LinkState &state, const uint8_t *report, int length);

// The bus address a reply comes from (its third byte), or -1 for what is no reply.
int replyAddress(const uint8_t *report, int length);

// Body decoders; `report` must hold 64 bytes.
void decodeMeasurement(LinkState &state, const uint8_t *report);
void decodeSettings(LinkState &state, const uint8_t *report);

// Measurement values travel as |value| * 1000, rounded; negative current and temperatures set
// their bits in byte 60 (the other bits come from v.signFlags). Popup bytes go to 53 and 54.
std::array<uint8_t, 64> encodeMeasurement(uint8_t address, const LiveValues &v, bool running);
std::array<uint8_t, 64> encodeSettings(uint8_t address, const LiveValues &v);
// An address reply names its instrument's model in bytes 10..17 (ASCII, zero-padded).
constexpr int kAddressReplyModelAt = 10, kAddressReplyModelLength = 8;
std::array<uint8_t, 64> encodeAddressReply(uint8_t address, bool selected,
                                           const std::string &model = std::string());

} // namespace proto
