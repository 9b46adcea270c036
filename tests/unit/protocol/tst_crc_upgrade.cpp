// CRC-16, the length-prefixed frame check, and the firmware loader's packets and replies.

#include "tests/unit/protocol/bytes.h"
#include "protocol/crc16.h"
#include "protocol/upgrade_packets.h"

#include <QtTest>

#include <vector>

using namespace proto;

class TestCrcAndUpgrade : public QObject
{
    Q_OBJECT

private slots:
    void crcCheckValue();
    void crcLengthIsTakenModulo256();
    void frameCheck_data();
    void frameCheck();
    void frameCheckNeverReadsPastAvailable();
    void handshake_data();
    void handshake();
    void dataPacketsOfA100ByteImage();
    void dataPacketsCoverTheImage_data();
    void dataPacketsCoverTheImage();
    void dataPacketOutsideImageIsEmpty();
    void replies_data();
    void replies();
};

namespace {

// A reply as the loader sends it: report byte 0 (report ID), then the reply bytes.
QByteArray inputReport(const QByteArray &reply)
{
    QByteArray report(1, char(0x00));
    report += reply;
    report.append(QByteArray(64 - report.size(), '\0'));
    return report;
}

QByteArray withCrc(QByteArray frame)
{
    const uint16_t crc = crc16(reinterpret_cast<const uint8_t *>(frame.constData()), frame.size());
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

} // namespace

void TestCrcAndUpgrade::crcCheckValue()
{
    const QByteArray digits("123456789");
    QCOMPARE(crc16(reinterpret_cast<const uint8_t *>(digits.constData()), 9), uint16_t(0x4B37));
    QCOMPARE(crc16(nullptr, 0), uint16_t(0xFFFF));
}

void TestCrcAndUpgrade::crcLengthIsTakenModulo256()
{
    std::vector<uint8_t> bytes(600);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + 3);
    QCOMPARE(crc16(bytes.data(), 256), uint16_t(0xFFFF));
    QCOMPARE(crc16(bytes.data(), 257), crc16(bytes.data(), 1));
    QCOMPARE(crc16(bytes.data(), 512 + 5), crc16(bytes.data(), 5));
    QVERIFY(crc16(bytes.data(), 1) != 0xFFFF);
}

void TestCrcAndUpgrade::frameCheck_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("available");
    QTest::addColumn<bool>("mismatch");

    const QByteArray handshakeReply = withCrc(hexBytes("BB 07 01 02 03"));
    QTest::newRow("valid L=7") << handshakeReply << 64 << false;
    QByteArray corrupted = handshakeReply;
    corrupted[3] = char(0x99);
    QTest::newRow("corrupted payload") << corrupted << 64 << true;
    QByteArray swapped = handshakeReply;
    std::swap(swapped.data()[5], swapped.data()[6]);
    QTest::newRow("CRC bytes swapped") << swapped << 64 << true;
    QTest::newRow("L exactly available") << handshakeReply << 7 << false;
    QTest::newRow("L beyond available") << handshakeReply << 6 << true;
    // With L = 2 the computed value is 0xFFFF, but the stored high byte is the length byte
    // itself (0x02), so such a frame can never agree.
    QTest::newRow("L=2, byte 0 FF") << hexBytes("FF 02") << 64 << true;
    QTest::newRow("L=2, byte 0 00") << hexBytes("00 02") << 2 << true;
    QTest::newRow("L=1") << hexBytes("FF 01 FF FF") << 64 << true;
    QTest::newRow("L=0") << hexBytes("FF 00 FF FF") << 64 << true;
    QTest::newRow("L=65 in a 64-byte report") << hexBytes("BB 41") << 64 << true;
    QTest::newRow("only one byte") << hexBytes("BB") << 1 << true;
    QTest::newRow("nothing") << QByteArray() << 0 << true;

    QByteArray full = QByteArray(62, char(0x5A));
    full[1] = char(64);
    QTest::newRow("valid L=64") << withCrc(full) << 64 << false;
}

void TestCrcAndUpgrade::frameCheck()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, available);
    QFETCH(bool, mismatch);
    // Copy into a buffer of exactly the readable size so a sanitizer build catches over-reads.
    const int readable = qMin(available, frame.size());
    std::vector<uint8_t> buffer(frame.begin(), frame.begin() + readable);
    QCOMPARE(frameCrcMismatch(buffer.data(), buffer.size()), mismatch);
}

void TestCrcAndUpgrade::frameCheckNeverReadsPastAvailable()
{
    // The stored CRC would agree if the check looked beyond `available`; it must refuse instead.
    const QByteArray frame = withCrc(hexBytes("BB 0A 01 02 03 04 05 06"));
    const auto *bytes = reinterpret_cast<const uint8_t *>(frame.constData());
    QVERIFY(!frameCrcMismatch(bytes, size_t(frame.size())));
    for (size_t available = 0; available < size_t(frame.size()); ++available)
        QVERIFY2(frameCrcMismatch(bytes, available), qPrintable(QString::number(available)));
}

void TestCrcAndUpgrade::handshake_data()
{
    QTest::addColumn<int>("imageSize");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("packets");

    QTest::newRow("100 bytes") << 100 << hexBytes("AA 07 02 00 2A") << 2;
    QTest::newRow("116 bytes") << 116 << hexBytes("AA 07 02 00 00") << 2;
    QTest::newRow("1 byte") << 1 << hexBytes("AA 07 01 00 01") << 1;
    QTest::newRow("largest image") << kMaxFirmwareSize << hexBytes("AA 07 F8 44 0A") << 17656;
}

void TestCrcAndUpgrade::handshake()
{
    QFETCH(int, imageSize);
    QFETCH(QByteArray, head);
    QFETCH(int, packets);

    QCOMPARE(packetCount(imageSize), packets);
    const QByteArray packet = toBytes(handshakePacket(imageSize));
    QCOMPARE(packet.size(), 64);
    QCOMPARE(spaced(packet.left(7)), spaced(withCrc(head)));
    QCOMPARE(packet.mid(7), QByteArray(57, '\0'));
    QVERIFY(!frameCrcMismatch(reinterpret_cast<const uint8_t *>(packet.constData()), 64));
}

void TestCrcAndUpgrade::dataPacketsOfA100ByteImage()
{
    QByteArray image(100, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i + 1);
    // Worked out by hand: the CRC of the handshake's five bytes AA 07 02 00 2A.
    QCOMPARE(spaced(toBytes(handshakePacket(100)).left(7)),
             spaced(hexBytes("AA 07 02 00 2A 1D 73")));

    const QByteArray first = toBytes(dataPacket(image, 0));
    QCOMPARE(spaced(first.left(4)), spaced(hexBytes("CC 40 00 00")));
    QCOMPARE(first.mid(4, 58), image.left(58));
    QCOMPARE(first.mid(62, 2), withCrc(first.left(62)).right(2));

    const QByteArray last = toBytes(dataPacket(image, 1));
    QCOMPARE(spaced(last.left(4)), spaced(hexBytes("CC 30 01 00")));
    QCOMPARE(last.mid(4, 42), image.mid(58));
    QCOMPARE(last.mid(46, 2), withCrc(last.left(46)).right(2));
    QCOMPARE(last.mid(48), QByteArray(16, '\0'));
}

void TestCrcAndUpgrade::dataPacketsCoverTheImage_data()
{
    QTest::addColumn<int>("imageSize");
    QTest::newRow("one short packet") << 5;
    QTest::newRow("exactly one piece") << 58;
    QTest::newRow("one more than a piece") << 59;
    QTest::newRow("116, two full packets") << 116;
    QTest::newRow("index above 255") << 58 * 300 + 17;
}

void TestCrcAndUpgrade::dataPacketsCoverTheImage()
{
    QFETCH(int, imageSize);
    QByteArray image(imageSize, '\0');
    for (int i = 0; i < imageSize; ++i)
        image[i] = char((i * 31) ^ (i >> 8));

    QByteArray reassembled;
    const int count = packetCount(imageSize);
    for (int k = 0; k < count; ++k) {
        const auto packet = dataPacket(image, k);
        const int length = packet[1];
        QCOMPARE(int(packet[0]), 0xCC);
        QCOMPARE(int(packet[2] | packet[3] << 8), k);
        QVERIFY(!frameCrcMismatch(packet.data(), packet.size()));
        if (k + 1 < count)
            QCOMPARE(length, 0x40);
        reassembled += QByteArray(reinterpret_cast<const char *>(packet.data()) + 4, length - 6);
    }
    QCOMPARE(reassembled, image);
}

void TestCrcAndUpgrade::dataPacketOutsideImageIsEmpty()
{
    const QByteArray image(116, 'x');
    const std::array<uint8_t, 64> zeros{};
    QCOMPARE(toBytes(dataPacket(image, 2)), toBytes(zeros));
    QCOMPARE(toBytes(dataPacket(image, -1)), toBytes(zeros));
    QCOMPARE(toBytes(dataPacket(QByteArray(), 0)), toBytes(zeros));
}

void TestCrcAndUpgrade::replies_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("index");

    const int accepted = int(UpgradeReply::HandshakeAccepted);
    const int badCrc = int(UpgradeReply::HandshakeBadCrc);
    const int received = int(UpgradeReply::PacketReceived);
    const int ignored = int(UpgradeReply::Ignored);

    const QByteArray goodHandshake = inputReport(withCrc(hexBytes("BB 07 02 00 2A")));
    QTest::newRow("handshake accepted") << goodHandshake << 64 << accepted << -1;
    QByteArray reportIdSet = goodHandshake;
    reportIdSet[0] = char(0x55);
    QTest::newRow("byte 0 not examined") << reportIdSet << 64 << accepted << -1;
    QByteArray badHandshake = goodHandshake;
    badHandshake[6] = char(badHandshake[6] ^ 1);
    QTest::newRow("handshake bad CRC") << badHandshake << 64 << badCrc << -1;
    QTest::newRow("handshake L=2") << inputReport(hexBytes("BB 02 FF FF")) << 64 << badCrc << -1;
    QTest::newRow("handshake L=0") << inputReport(hexBytes("BB 00")) << 64 << badCrc << -1;
    QTest::newRow("handshake L=64") << inputReport(hexBytes("BB 40")) << 64 << badCrc << -1;
    QTest::newRow("handshake L=255") << inputReport(hexBytes("BB FF")) << 64 << badCrc << -1;
    QTest::newRow("handshake cut short") << goodHandshake << 7 << badCrc << -1;
    QTest::newRow("handshake just complete") << goodHandshake << 8 << accepted << -1;

    QByteArray full = QByteArray(61, char(0x33));
    full[0] = char(0xBB);
    full[1] = char(63);
    QTest::newRow("handshake L=63 uses the last reply byte")
        << inputReport(withCrc(full)) << 64 << accepted << -1;

    QTest::newRow("packet 0") << inputReport(hexBytes("DD 06 00 00")) << 64 << received << 0;
    QTest::newRow("packet 0x1234")
        << inputReport(hexBytes("DD 06 34 12")) << 64 << received << 0x1234;
    QTest::newRow("packet index cut off")
        << inputReport(hexBytes("DD 06 34 12")) << 4 << ignored << -1;
    QTest::newRow("all received") << inputReport(hexBytes("EE")) << 64
                                  << int(UpgradeReply::AllReceived) << -1;
    QTest::newRow("programmed") << inputReport(hexBytes("FF")) << 64
                                << int(UpgradeReply::Programmed) << -1;
    QTest::newRow("failed") << inputReport(hexBytes("11")) << 64 << int(UpgradeReply::Failed) << -1;
    QTest::newRow("unknown first byte")
        << inputReport(hexBytes("AA 05 01 05")) << 64 << ignored << -1;
    QTest::newRow("only the report ID") << inputReport(hexBytes("EE")) << 1 << ignored << -1;
    QTest::newRow("nothing") << inputReport(hexBytes("EE")) << 0 << ignored << -1;
}

void TestCrcAndUpgrade::replies()
{
    QFETCH(QByteArray, report);
    QFETCH(int, length);
    QFETCH(int, kind);
    QFETCH(int, index);
    std::vector<uint8_t> buffer(report.begin(), report.begin() + length);
    const UpgradeReplyInfo info = classifyUpgradeReply(buffer.data(), length);
    QCOMPARE(int(info.kind), kind);
    QCOMPARE(info.packetIndex, index);
}

QTEST_APPLESS_MAIN(TestCrcAndUpgrade)
#include "tst_crc_upgrade.moc"
