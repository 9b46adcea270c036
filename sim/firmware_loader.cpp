#include "sim/firmware_loader.h"

#include "sim/sim_log.h"

#include "protocol/crc16.h"
#include "protocol/upgrade_packets.h"

namespace sim {

namespace {
constexpr uint8_t kHandshake = 0xAA, kHandshakeReply = 0xBB, kData = 0xCC, kDataReply = 0xDD,
                  kAllReceived = 0xEE, kProgrammed = 0xFF, kFailed = 0x11;
constexpr int kPacketBytesInReport = 63; // the report's byte 0 is the 0x55 in front
} // namespace

void FirmwareLoader::enter()
{
    if (m_active)
        return;
    m_active = true;
    m_handshakeDone = false;
    m_finished = false;
    m_programmedAt = -1;
    qCInfo(lcSim) << "firmware loader entered";
}

void FirmwareLoader::leave()
{
    m_active = false;
    m_handshakeDone = false;
    m_programmedAt = -1;
}

// A CRC'd reply frame: head bytes, then the CRC over them, low byte first.
Report FirmwareLoader::reply(std::initializer_list<uint8_t> head) const
{
    Report report{};
    int n = 1; // reply byte 0 sits at report byte 1
    for (uint8_t b : head)
        report[n++] = b;
    const uint16_t crc = proto::crc16(report.data() + 1, head.size());
    report[n++] = static_cast<uint8_t>(crc & 0xFF);
    report[n++] = static_cast<uint8_t>(crc >> 8);
    return report;
}

QVector<Report> FirmwareLoader::handleReport(const uint8_t *report, double now,
                                             const Behaviour &behaviour)
{
    QVector<Report> out;
    if (!m_active || report[0] != 0x55)
        return out;
    const uint8_t *packet = report + 1;
    const int length = packet[1];

    if (packet[0] == kHandshake) {
        if (length != 7 || proto::frameCrcMismatch(packet, kPacketBytesInReport)) {
            qCDebug(lcSim) << "loader: bad handshake ignored";
            return out;
        }
        const int packets = packet[2] | packet[3] << 8;
        const int remainder = packet[4];
        const int size =
            remainder == 0 ? packets * proto::kPiece : (packets - 1) * proto::kPiece + remainder;
        if (packets <= 0 || remainder >= proto::kPiece || size > proto::kMaxFirmwareSize) {
            qCDebug(lcSim) << "loader: refused image of" << packets << "packets";
            return out;
        }
        m_handshakeDone = true;
        m_finished = false;
        m_programmedAt = -1;
        m_packets = packets;
        m_size = size;
        m_nextPacket = 0;
        m_image.clear();
        m_image.reserve(size);
        qCInfo(lcSim) << "loader: handshake for" << size << "bytes," << packets << "packets";
        if (!behaviour.silent)
            out.append(reply({kHandshakeReply, 7, packet[2], packet[3], packet[4]}));
        return out;
    }

    if (packet[0] != kData || !m_handshakeDone || m_finished)
        return out;
    const int index = packet[2] | packet[3] << 8;
    const int expectedBytes = std::min(proto::kPiece, m_size - index * proto::kPiece);
    if (index != m_nextPacket || length != expectedBytes + 6) {
        qCDebug(lcSim) << "loader: unexpected packet" << index << "length" << length;
        return out;
    }
    // A full packet loses its last CRC byte on the way (64 packet bytes, 63 in the report):
    // check the low byte only then.
    const uint16_t crc = proto::crc16(packet, length - 2);
    const bool lowOk = packet[length - 2] == (crc & 0xFF);
    const bool highOk = length > kPacketBytesInReport || packet[length - 1] == (crc >> 8);
    if (!lowOk || !highOk) {
        qCDebug(lcSim) << "loader: CRC error in packet" << index;
        return out;
    }
    if (behaviour.fails && behaviour.failAtPacket == index) {
        if (!behaviour.silent)
            out.append(reply({kFailed, 4}));
        m_handshakeDone = false;
        return out;
    }
    m_image.append(reinterpret_cast<const char *>(packet + 4), expectedBytes);
    ++m_nextPacket;
    if (!behaviour.silent)
        out.append(reply({kDataReply, 6, packet[2], packet[3]}));
    if (m_nextPacket == m_packets) {
        m_finished = true;
        m_programmedAt = now + behaviour.programmingSeconds;
        qCInfo(lcSim) << "loader: image complete," << m_image.size() << "bytes";
        if (!behaviour.silent)
            out.append(reply({kAllReceived, 4}));
    }
    return out;
}

QVector<Report> FirmwareLoader::poll(double now, const Behaviour &behaviour)
{
    QVector<Report> out;
    if (m_programmedAt < 0 || now < m_programmedAt)
        return out;
    m_programmedAt = -1;
    const bool failed = behaviour.fails && behaviour.failAtPacket < 0;
    if (!behaviour.silent)
        out.append(reply({failed ? kFailed : kProgrammed, 4}));
    qCInfo(lcSim) << "loader:" << (failed ? "programming failed" : "programmed, restarting");
    leave(); // back to the instrument's own firmware
    return out;
}

} // namespace sim
