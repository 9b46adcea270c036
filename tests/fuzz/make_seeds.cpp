// Writes a seed corpus for fuzz_protocol: well-formed replies of every kind, built with the same
// encoders the simulated instrument uses, plus upgrade packets and loader replies.
// Usage: fuzz_protocol_seeds <folder>

#include "protocol/crc16.h"
#include "protocol/report_parser.h"
#include "protocol/upgrade_packets.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <array>
#include <cstdio>

using namespace proto;

namespace {

bool writeSeed(const QDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

template <size_t N> QByteArray bytesOf(const std::array<uint8_t, N> &a)
{
    return QByteArray(reinterpret_cast<const char *>(a.data()), int(N));
}

// A loader reply as it arrives: report byte 0, then the reply bytes.
QByteArray loaderReport(std::initializer_list<uint8_t> reply, bool withCrc)
{
    std::array<uint8_t, 64> report{};
    size_t i = 1;
    for (uint8_t b : reply)
        report[i++] = b;
    if (withCrc)
        storeFrameCrc(report.data() + 1, 63);
    return bytesOf(report);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    LiveValues v;
    v.voltage = 12.345f;
    v.current = -1.5f;
    v.power = 18.5f;
    v.resistance = 8.2f;
    v.energy = 999.5f;
    v.capacity = 1234.0f;
    v.cpuTemp = 35.0f;
    v.ntcTemp = -40.0f;
    v.mosTemp = 50.0f;
    v.fanSpeed = 2000.0f;
    v.popupCountdown = 8;
    v.popupType = 2;
    v.popupChoice = 1;
    v.setPoint = 12.5f;
    v.voltCalibration = 1.0f;
    v.workMode = 7;
    v.displayStyle = 3;

    bool ok = true;
    ok &= writeSeed(dir, "measurement", bytesOf(encodeMeasurement(1, v, true)));
    ok &= writeSeed(dir, "measurement-addr3", bytesOf(encodeMeasurement(3, v, false)));
    ok &= writeSeed(dir, "settings", bytesOf(encodeSettings(1, v)));
    ok &= writeSeed(dir, "address-selected", bytesOf(encodeAddressReply(3, true)));
    ok &= writeSeed(dir, "address-other", bytesOf(encodeAddressReply(5, false)));
    ok &= writeSeed(dir, "address-short", bytesOf(encodeAddressReply(1, false)).left(10));
    ok &= writeSeed(dir, "handshake-reply", loaderReport({0xBB, 0x07, 0x02, 0x00, 0x2A}, true));
    ok &= writeSeed(dir, "packet-reply", loaderReport({0xDD, 0x06, 0x01, 0x00}, false));
    ok &= writeSeed(dir, "all-received", loaderReport({0xEE}, false));
    ok &= writeSeed(dir, "programmed", loaderReport({0xFF}, false));
    ok &= writeSeed(dir, "failed", loaderReport({0x11}, false));

    QByteArray image(100, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 13);
    ok &= writeSeed(dir, "handshake", bytesOf(handshakePacket(image.size())));
    ok &= writeSeed(dir, "data-full", bytesOf(dataPacket(image, 0)));
    ok &= writeSeed(dir, "data-last", bytesOf(dataPacket(image, 1)));
    return ok ? 0 : 1;
}
