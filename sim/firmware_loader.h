#pragma once
// The instrument's firmware loader: takes the handshake announcing an image, then the image in
// 58-byte CRC-protected packets, acknowledging each, and finally "programs" itself. Its replies
// are CRC frames placed at byte 1 of a 64-byte input report.

#include "sim/instrument.h"

#include <QByteArray>
#include <QVector>

namespace sim {

class FirmwareLoader
{
public:
    struct Behaviour
    {
        bool silent = false;   // never answers
        bool fails = false;    // answers 0x11 (see failAtPacket)
        int failAtPacket = -1; // packet index answered with 0x11; -1: fail at programming
        double programmingSeconds = 2.0;
    };

    void enter();
    void leave();
    bool isActive() const { return m_active; }
    // One report as written by the program: byte 0 = 0x55, then packet bytes 0..62.
    // `now` is the simulated time; replies due at once are returned.
    QVector<Report> handleReport(const uint8_t *report, double now, const Behaviour &behaviour);
    // Replies that fell due by `now` (the end of programming).
    QVector<Report> poll(double now, const Behaviour &behaviour);
    // Simulated time of the next reply the loader will send by itself; negative if none.
    double nextDueAt() const { return m_programmedAt; }

    QByteArray image() const { return m_image; }
    int expectedPackets() const { return m_packets; }
    int expectedSize() const { return m_size; }
    bool finished() const { return m_finished; }

private:
    Report reply(std::initializer_list<uint8_t> head) const;

    bool m_active = false;
    bool m_handshakeDone = false;
    bool m_finished = false;
    int m_packets = 0;
    int m_size = 0;
    int m_nextPacket = 0;
    double m_programmedAt = -1;
    QByteArray m_image;
};

} // namespace sim
