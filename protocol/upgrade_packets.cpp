#include "protocol/upgrade_packets.h"

#include "protocol/crc16.h"

#include <algorithm>

namespace proto {

ImageCheck checkFirmwareImage(const QByteArray &image)
{
    if (image.isEmpty())
        return {ImageCheck::Empty};
    if (image.size() > kMaxFirmwareSize)
        return {ImageCheck::TooLarge};
    if (image.size() < 8)
        return {ImageCheck::NoVectorTable};
    const auto word = [&image](int at) {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | uint8_t(image[at + i]);
        return value;
    };
    const uint32_t stack = word(0);
    if (stack <= kRamStart || stack > kRamEnd || stack % 4 != 0)
        return {ImageCheck::StackNotInRam, stack};
    const uint32_t reset = word(4);
    if (reset % 2 == 0 || reset < kFlashStart || reset >= kFlashEnd)
        return {ImageCheck::ResetNotThumbInFlash, reset};
    return {};
}

namespace {

constexpr uint8_t kHandshakeStart = 0xAA;
constexpr uint8_t kDataStart = 0xCC;
constexpr uint8_t kHandshakeLength = 7;
constexpr int kReplyOffset = 1; // report byte 0 is the report ID, not part of the reply
constexpr int kMaxReplyLength = 63;

} // namespace

int packetCount(int imageSize)
{
    return imageSize > 0 ? (imageSize + kPiece - 1) / kPiece : 0;
}

std::array<uint8_t, 64> handshakePacket(int imageSize)
{
    std::array<uint8_t, 64> packet{};
    const int count = packetCount(imageSize);
    packet[0] = kHandshakeStart;
    packet[1] = kHandshakeLength;
    packet[2] = static_cast<uint8_t>(count & 0xFF);
    packet[3] = static_cast<uint8_t>((count >> 8) & 0xFF);
    packet[4] = static_cast<uint8_t>(imageSize > 0 ? imageSize % kPiece : 0);
    storeFrameCrc(packet.data(), packet.size());
    return packet;
}

std::array<uint8_t, 64> dataPacket(const QByteArray &image, int index)
{
    std::array<uint8_t, 64> packet{};
    if (index < 0 || index >= packetCount(image.size()))
        return packet;
    const int start = index * kPiece;
    const int n = std::min(kPiece, image.size() - start);
    packet[0] = kDataStart;
    packet[1] = static_cast<uint8_t>(n + 6);
    packet[2] = static_cast<uint8_t>(index & 0xFF);
    packet[3] = static_cast<uint8_t>((index >> 8) & 0xFF);
    std::copy_n(reinterpret_cast<const uint8_t *>(image.constData()) + start, n,
                packet.begin() + 4);
    storeFrameCrc(packet.data(), packet.size());
    return packet;
}

UpgradeReplyInfo classifyUpgradeReply(const uint8_t *report, int length)
{
    UpgradeReplyInfo info;
    if (!report || length <= kReplyOffset)
        return info;
    const uint8_t *reply = report + kReplyOffset;
    const int available = std::min(length - kReplyOffset, kMaxReplyLength);

    switch (reply[0]) {
    case 0xBB: {
        // A length byte that is cut off or outside 3..63 cannot describe a real handshake reply.
        const int frameLength = available >= 2 ? reply[1] : 0;
        const bool plausible = frameLength >= 3 && frameLength <= kMaxReplyLength;
        info.kind = plausible && !frameCrcMismatch(reply, size_t(available))
                        ? UpgradeReply::HandshakeAccepted
                        : UpgradeReply::HandshakeBadCrc;
        break;
    }
    case 0xDD:
        if (available >= 4) {
            info.kind = UpgradeReply::PacketReceived;
            info.packetIndex = reply[2] | (reply[3] << 8);
        }
        break;
    case 0xEE:
        info.kind = UpgradeReply::AllReceived;
        break;
    case 0xFF:
        info.kind = UpgradeReply::Programmed;
        break;
    case 0x11:
        info.kind = UpgradeReply::Failed;
        break;
    default:
        break;
    }
    return info;
}

} // namespace proto
