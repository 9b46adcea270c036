#pragma once
// Packets of the firmware loader: a handshake announcing the image, then one data packet per
// 58-byte piece, each a length-prefixed frame with a CRC-16; and the loader's replies.

#include <QByteArray>

#include <array>
#include <cstdint>

namespace proto {

constexpr int kPiece = 58;
constexpr int kMaxFirmwareSize = 1024000;

// What an image must look like before it goes to the loader: at most kMaxFirmwareSize bytes, and
// a Cortex-M vector table at its start, the initial stack pointer (word-aligned, in the SRAM
// window) followed by the reset handler (Thumb, so odd, in the flash window).
constexpr uint32_t kRamStart = 0x20000000, kRamEnd = 0x20100000; // stack top may equal the end
constexpr uint32_t kFlashStart = 0x08000000, kFlashEnd = 0x08200000;
struct ImageCheck
{
    enum Verdict
    {
        Fits,
        Empty,
        TooLarge,
        NoVectorTable, // shorter than the two words
        StackNotInRam,
        ResetNotThumbInFlash
    };
    Verdict verdict = Fits;
    uint32_t word = 0; // the stack pointer or reset address found wrong
};
ImageCheck checkFirmwareImage(const QByteArray &image);

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
