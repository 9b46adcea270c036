#pragma once
// Packets of the firmware loader: a handshake announcing the image, then one data packet per
// 58-byte piece, each a length-prefixed frame with a CRC-16; and the loader's replies.

#include <QByteArray>

#include <array>
#include <cstdint>

namespace proto {

constexpr int kPiece = 58;
constexpr int kMaxFirmwareSize = 1024000;

// Number of data packets for an image: ceil(size / 58); 0 for an empty image.
int packetCount(int imageSize);

// AA 07, packet count (LE), size mod 58, CRC (lo, hi); zero padded to 64 bytes.
std::array<uint8_t, 64> handshakePacket(int imageSize);
// CC, L = n + 6, index (LE), n image bytes, CRC (lo, hi); a full packet has L = 0x40.
// An index outside the image gives an all-zero packet.
std::array<uint8_t, 64> dataPacket(const QByteArray &image, int index);

enum class UpgradeReply
{
    Ignored,
    HandshakeAccepted,
    HandshakeBadCrc,
    PacketReceived,
    AllReceived,
    Programmed,
    Failed
};

struct UpgradeReplyInfo
{
    UpgradeReply kind = UpgradeReply::Ignored;
    int packetIndex = -1; // PacketReceived only
};

// Takes the 64-byte input report; the reply starts at report byte 1 (byte 0 is not examined).
// Never reads past `length`. A handshake reply whose length byte lies outside 3..63 is refused
// as HandshakeBadCrc.
UpgradeReplyInfo classifyUpgradeReply(const uint8_t *report, int length);

} // namespace proto
