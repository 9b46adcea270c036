// The firmware transfer driven with the loader's replies and 100 ms ticks, checking every packet
// it hands to the link.

#include "acquire/upgrade_transfer.h"

#include "protocol/crc16.h"

#include <QSignalSpy>
#include <QtTest>

using State = UpgradeTransfer::State;

namespace {

// A loader reply as an input report: report byte 0, then the reply; handshake replies get a CRC.
QByteArray reply(QByteArray bytes, bool badCrc = false)
{
    if (quint8(bytes[0]) == 0xBB) {
        uint16_t crc = proto::crc16(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                    size_t(bytes.size()));
        crc ^= badCrc ? 1 : 0;
        bytes.append(char(crc & 0xFF)).append(char(crc >> 8));
    }
    QByteArray report(1, '\0');
    report += bytes;
    return report.leftJustified(64, '\0');
}
QByteArray handshakeReply(bool badCrc = false)
{
    return reply(QByteArray::fromHex("bb07"), badCrc);
}
QByteArray ack(int index)
{
    return reply(QByteArray::fromHex("dd06") + char(index & 0xFF) + char(index >> 8));
}
QByteArray code(quint8 c)
{
    return reply(QByteArray(1, char(c)));
}

QByteArray image(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + 3) & 0xFF);
    return bytes;
}

// The transfer with a recording link, a settable clock and its log and progress collected.
struct Harness
{
    UpgradeTransfer transfer;
    QVector<QByteArray> written;
    QStringList log;
    QStringList progressTexts;
    QVector<int> progressValues;
    qint64 nowMs = 1'700'000'000'000;
    int failWriteNumber = -1; // this write (1-based) fails like a short write

    explicit Harness(int size)
        : transfer([this](const unsigned char *p, int n) {
              written.append(QByteArray(reinterpret_cast<const char *>(p), n));
              if (written.size() == failWriteNumber)
                  transfer.writeFailed();
          })
    {
        transfer.setClock([this] { return nowMs; });
        QObject::connect(&transfer, &UpgradeTransfer::logLine,
                         [this](const QString &l) { log << l; });
        QObject::connect(&transfer, &UpgradeTransfer::progressChanged,
                         [this](int value, const QString &text) {
                             progressValues << value;
                             progressTexts << text;
                         });
        transfer.setImage(image(size));
    }
    void feed(const QByteArray &report)
    {
        transfer.handleReport(reinterpret_cast<const uint8_t *>(report.constData()), report.size());
    }
    void start()
    {
        transfer.enterLoader();
        transfer.begin();
    }
    // Handshake accepted, then `acks` packets acknowledged in order.
    void transferPackets(int acks)
    {
        start();
        feed(handshakeReply());
        for (int k = 0; k < acks; ++k)
            feed(ack(k));
    }
    int lastIndex() const
    {
        const QByteArray &p = written.last();
        return quint8(p[0]) == 0xCC ? quint8(p[2]) | quint8(p[3]) << 8 : -1;
    }
};

} // namespace

class TestUpgradeTransfer : public QObject
{
    Q_OBJECT

private slots:
    void wholeTransfer_data();
    void wholeTransfer();
    void repliesMidTransfer_data();
    void repliesMidTransfer();
    void timesOutAfter120SilentTicks();
    void writeFailureEndsTheUpgrade();
    void progressTexts_data();
    void progressTexts();
    void progressOfTheLargestImageStaysBelow100();
    void durationAndSpeedLines_data();
    void durationAndSpeedLines();
};

void TestUpgradeTransfer::wholeTransfer_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("handshake"); // bytes 0..4
    QTest::addColumn<QVector<int>>("lengths");
    QTest::newRow("116 bytes") << 116 << QByteArray::fromHex("aa07020000") << QVector<int>{64, 64};
    QTest::newRow("100 bytes") << 100 << QByteArray::fromHex("aa0702002a") << QVector<int>{64, 48};
    QTest::newRow("1 byte") << 1 << QByteArray::fromHex("aa07010001") << QVector<int>{7};
    QTest::newRow("175 bytes") << 175 << QByteArray::fromHex("aa07040001")
                               << QVector<int>{64, 64, 64, 7};
}

void TestUpgradeTransfer::wholeTransfer()
{
    QFETCH(int, size);
    QFETCH(QByteArray, handshake);
    QFETCH(QVector<int>, lengths);
    Harness h(size);
    QSignalSpy active(&h.transfer, &UpgradeTransfer::activeChanged);

    h.feed(handshakeReply()); // nothing is active yet
    QVERIFY(h.written.isEmpty());
    h.start();
    QCOMPARE(h.transfer.state(), State::WaitingForHandshake);
    QCOMPARE(active.count(), 1);
    QCOMPARE(h.written.size(), 1);
    const QByteArray &hs = h.written[0];
    QCOMPARE(hs.size(), 64);
    QCOMPARE(hs.left(5).toHex(), handshake.toHex());
    QCOMPARE(proto::frameCrcMismatch(reinterpret_cast<const uint8_t *>(hs.constData()), 64), false);
    QCOMPARE(h.log, QStringList{"开始连接设备..."});

    h.feed(handshakeReply());
    QCOMPARE(h.transfer.state(), State::Transferring);
    for (int k = 0; k < lengths.size(); ++k) {
        QCOMPARE(h.written.size(), k + 2); // one packet per acknowledgement, no more
        const QByteArray p = h.written.last();
        const auto *b = reinterpret_cast<const uint8_t *>(p.constData());
        const int length = lengths[k];
        QCOMPARE(p.size(), 64);
        QCOMPARE(b[0], uint8_t(0xCC));
        QCOMPARE(int(b[1]), length);
        QCOMPARE(h.lastIndex(), k);
        QCOMPARE(p.mid(4, length - 6), image(size).mid(58 * k, length - 6));
        const uint16_t crc = proto::crc16(b, size_t(length - 2));
        QCOMPARE(int(b[length - 2] | b[length - 1] << 8), int(crc));
        QVERIFY(p.mid(length).count('\0') == 64 - length);
        h.feed(ack(k));
    }
    QCOMPARE(h.written.size(), lengths.size() + 1); // the last acknowledgement sends nothing
    QCOMPARE(h.transfer.bytesLeft(), 0);
    QVERIFY(h.progressValues.last() <= 99);

    h.feed(code(0xEE));
    QCOMPARE(h.transfer.state(), State::WaitingForProgramming);
    QVERIFY(h.transfer.isActive());
    h.feed(code(0xFF));
    QCOMPARE(h.transfer.state(), State::Finished);
    QVERIFY(!h.transfer.isActive());
    QCOMPARE(active.count(), 2);
    QCOMPARE(h.progressTexts.last(), QString("当前进度为：100.0%"));
    QCOMPARE(h.progressValues.last(), 100);
    QCOMPARE(h.log.mid(1, 2), (QStringList{"握手成功...", "开始传输固件..."}));
    QCOMPARE(h.log.last(), QString("本次下载结束"));
    h.feed(ack(0)); // after the end every reply is dropped
    QCOMPARE(h.written.size(), lengths.size() + 1);
}

void TestUpgradeTransfer::repliesMidTransfer_data()
{
    // Four packets of a five-packet image are out (packetIndex 4), 50 silent ticks have passed.
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("packetIndex");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("sends"); // index of the packet written in answer, -1: none
    QTest::newRow("acknowledgement of the last packet")
        << ack(3) << int(State::Transferring) << 5 << 0 << 4;
    QTest::newRow("wrong index: ignored, time-out reset")
        << ack(5) << int(State::Transferring) << 4 << 0 << -1;
    QTest::newRow("earlier index") << ack(2) << int(State::Transferring) << 4 << 0 << -1;
    QTest::newRow("bad-CRC handshake: ignored, time-out runs on")
        << handshakeReply(true) << int(State::Transferring) << 4 << 50 << -1;
    QTest::newRow("second handshake restarts at packet 0")
        << handshakeReply() << int(State::Transferring) << 1 << 0 << 0;
    QTest::newRow("failure reply") << code(0x11) << int(State::Failed) << 4 << 0 << -1;
    QTest::newRow("unknown first byte") << code(0x42) << int(State::Transferring) << 4 << 50 << -1;
    QTest::newRow("short acknowledgement")
        << ack(3).left(3) << int(State::Transferring) << 4 << 50 << -1;
}

void TestUpgradeTransfer::repliesMidTransfer()
{
    QFETCH(QByteArray, report);
    QFETCH(int, state);
    QFETCH(int, packetIndex);
    QFETCH(int, ticks);
    QFETCH(int, sends);
    Harness h(290); // five packets
    h.transferPackets(3);
    QCOMPARE(h.transfer.packetIndex(), 4);
    for (int i = 0; i < 50; ++i)
        h.transfer.tick();
    const int sent = h.written.size();

    h.feed(report);
    QCOMPARE(int(h.transfer.state()), state);
    QCOMPARE(h.transfer.packetIndex(), packetIndex);
    QCOMPARE(h.transfer.timeoutTicks(), ticks);
    QCOMPARE(h.written.size(), sends < 0 ? sent : sent + 1);
    if (sends >= 0)
        QCOMPARE(h.lastIndex(), sends);
}

void TestUpgradeTransfer::timesOutAfter120SilentTicks()
{
    Harness h(116);
    h.transfer.tick(); // not active: not counted
    h.start();
    QSignalSpy active(&h.transfer, &UpgradeTransfer::activeChanged);
    for (int i = 0; i < UpgradeTransfer::kTimeoutLimit - 1; ++i)
        h.transfer.tick();
    QCOMPARE(h.transfer.timeoutTicks(), 119);
    QCOMPARE(h.transfer.state(), State::WaitingForHandshake);
    h.transfer.tick();
    QCOMPARE(h.transfer.state(), State::TimedOut);
    QCOMPARE(active.count(), 1);
    QVERIFY(!h.transfer.isActive());
    QCOMPARE(h.written.size(), 1); // a time-out sends nothing
    h.feed(handshakeReply());
    QCOMPARE(h.written.size(), 1);
    QVERIFY(h.transfer.setImage(image(100))); // a new image re-arms it
    QCOMPARE(h.transfer.state(), State::Idle);
}

void TestUpgradeTransfer::writeFailureEndsTheUpgrade()
{
    Harness h(290);
    h.failWriteNumber = 3; // handshake, packet 0, then packet 1 fails
    h.transferPackets(1);
    QCOMPARE(h.transfer.state(), State::WriteFailed);
    QCOMPARE(h.transfer.packetIndex(), 1);
    QVERIFY(!h.transfer.isActive());
    h.feed(ack(1));
    QCOMPARE(h.written.size(), 3);
    QVERIFY(h.transfer.setImage(image(100))); // loading an image re-arms it
}

void TestUpgradeTransfer::progressTexts_data()
{
    QTest::addColumn<double>("percent");
    QTest::addColumn<bool>("programmed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("start") << 0.0 << false << "当前进度为：0.0%" << 0;
    QTest::newRow("45.2") << 45.199 << false << "当前进度为：45.2%" << 45;
    QTest::newRow("99.94") << 99.94 << false << "当前进度为：99.9%" << 99;
    QTest::newRow("rounds to 100") << 99.97 << false << "当前进度为：99.9%" << 99;
    QTest::newRow("last packet overshoots") << 100.0047 << false << "当前进度为：99.9%" << 99;
    QTest::newRow("programmed") << 100.0 << true << "当前进度为：100.0%" << 100;
}

void TestUpgradeTransfer::progressTexts()
{
    QFETCH(double, percent);
    QFETCH(bool, programmed);
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(UpgradeTransfer::progressText(percent, programmed), text);
    QCOMPARE(UpgradeTransfer::progressValue(percent, programmed), value);
}

// The largest image goes through all 17656 packets; the bar changes only when its text does and
// shows 100 % only after the loader has programmed itself.
void TestUpgradeTransfer::progressOfTheLargestImageStaysBelow100()
{
    Harness h(1024000);
    h.transferPackets(17656);
    QCOMPARE(h.written.size(), 17657);
    QCOMPARE(int(h.written.last()[1]), 1024000 - 17655 * 58 + 6);
    QVERIFY(h.progressTexts.contains("当前进度为：45.2%"));
    QCOMPARE(h.progressTexts.last(), QString("当前进度为：99.9%"));
    QVERIFY(h.progressTexts.size() <= 1100); // 1000 texts, 100 values: not one per packet
    QVERIFY(*std::max_element(h.progressValues.begin(), h.progressValues.end()) <= 99);
    h.feed(code(0xEE));
    h.feed(code(0xFF));
    QCOMPARE(h.progressValues.last(), 100);
}

void TestUpgradeTransfer::durationAndSpeedLines_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("transferMs");
    QTest::addColumn<QString>("duration");
    QTest::addColumn<QString>("speed");
    QTest::newRow("no time at all") << 116 << 0 << "传输耗时0秒"
                                    << "113.28KB/秒";
    QTest::newRow("under a second") << 116 << 400 << "传输耗时0秒"
                                    << "290字节/秒";
    QTest::newRow("two seconds") << 1000 << 2500 << "传输耗时2秒"
                                 << "500字节/秒";
    QTest::newRow("largest image") << 1024000 << 37400 << "传输耗时37秒"
                                   << "27.03KB/秒";
}

void TestUpgradeTransfer::durationAndSpeedLines()
{
    QFETCH(int, size);
    QFETCH(int, transferMs);
    QFETCH(QString, duration);
    QFETCH(QString, speed);
    Harness h(size);
    h.transferPackets((size + 57) / 58);
    h.nowMs += transferMs;
    h.feed(code(0xEE));
    const int at = h.log.indexOf("传输完成...");
    QVERIFY(at > 0);
    QCOMPARE(h.log.mid(at + 1, 3), (QStringList{duration, speed, "请等待设备烧写完成..."}));
    h.nowMs += 2000;
    h.feed(code(0xFF));
    QCOMPARE(h.log.mid(at + 4),
             (QStringList{QString("下载烧写过程耗时%1秒").arg((transferMs + 2000) / 1000),
                          "烧写完成...", "本次下载结束"}));
}

QTEST_GUILESS_MAIN(TestUpgradeTransfer)
#include "tst_upgrade_transfer.moc"
