// Command and request frames against the instrument's documented example frames.

#include "tests/unit/protocol/bytes.h"
#include "protocol/codes.h"
#include "protocol/frames.h"

#include <QtTest>

using namespace proto;

class TestFrames : public QObject
{
    Q_OBJECT

private slots:
    void commandFrames_data();
    void commandFrames();
    void requestFrames_data();
    void requestFrames();
    void pollAlternatesMeasurementAndSettings();
    void tickCounterWraps_data();
    void tickCounterWraps();
};

void TestFrames::commandFrames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("style 1") << toBytes(byteCommand(1, CmdDisplayStyle, 1))
                             << hexBytes("55 05 01 20 01 00 00 00 EE FF");
    QTest::newRow("NV05 English style 2")
        << toBytes(byteCommand(1, CmdDisplayStyle, 2)) << hexBytes("55 05 01 20 02 00 00 00 EE FF");
    QTest::newRow("work brightness 5") << toBytes(integerCommand(1, CmdWorkBrightness, 5))
                                       << hexBytes("55 05 01 22 00 00 00 05 EE FF");
    QTest::newRow("integer is big-endian")
        << toBytes(integerCommand(3, CmdStandbyTime, 0x01020304u))
        << hexBytes("55 05 03 24 01 02 03 04 EE FF");
    QTest::newRow("voltage calibration 1.0") << toBytes(floatCommand(1, CmdVoltCalibration, 1.0f))
                                             << hexBytes("55 05 01 27 3F 80 00 00 EE FF");
    QTest::newRow("set-point 12.5") << toBytes(floatCommand(1, CmdSetPoint, 12.5f))
                                    << hexBytes("55 05 01 21 41 48 00 00 EE FF");
    QTest::newRow("discharge stop 12.5 at address 7")
        << toBytes(floatCommand(7, CmdDischargeStopVoltage, 12.5f))
        << hexBytes("55 05 07 29 41 48 00 00 EE FF");
    QTest::newRow("negative float keeps sign bit") << toBytes(floatCommand(1, CmdSetPoint, -2.0f))
                                                   << hexBytes("55 05 01 21 C0 00 00 00 EE FF");
    QTest::newRow("hours 2") << toBytes(timeLimitCommand(1, 2, TimeUnit::Hours))
                             << hexBytes("55 05 01 31 02 00 00 01 EE FF");
    QTest::newRow("hours 99") << toBytes(timeLimitCommand(1, 99, TimeUnit::Hours))
                              << hexBytes("55 05 01 31 63 00 00 01 EE FF");
    QTest::newRow("minutes 45") << toBytes(timeLimitCommand(1, 45, TimeUnit::Minutes))
                                << hexBytes("55 05 01 31 2D 00 00 02 EE FF");
    QTest::newRow("factory reset")
        << toBytes(commandFrame(1, CmdFactoryReset)) << hexBytes("55 05 01 33 00 00 00 00 EE FF");
    QTest::newRow("shunt 1000A is index 7")
        << toBytes(integerCommand(1, CmdShuntSize, 7)) << hexBytes("55 05 01 36 00 00 00 07 EE FF");
    QTest::newRow("run") << toBytes(byteCommand(1, CmdRunStop, kRunStart))
                         << hexBytes("55 05 01 25 01 00 00 00 EE FF");
    QTest::newRow("popup confirm") << toBytes(byteCommand(2, CmdPopupAnswer, kPopupAnswerConfirm))
                                   << hexBytes("55 05 02 35 05 00 00 00 EE FF");
    QTest::newRow("address request carries the probed address")
        << toBytes(addressRequest(10)) << hexBytes("55 05 0A 04 00 00 00 00 EE FF");
    QTest::newRow("return home at address 0")
        << toBytes(commandFrame(0, CmdReturnHome)) << hexBytes("55 05 00 45 00 00 00 00 EE FF");
}

void TestFrames::commandFrames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(spaced(frame), spaced(expected));
}

void TestFrames::requestFrames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("poll, odd tick")
        << toBytes(pollRequest(1, 1)) << hexBytes("55 05 01 05 0B 00 8C EE FF");
    QTest::newRow("poll, even tick")
        << toBytes(pollRequest(4, 2)) << hexBytes("55 05 04 03 0B 00 8C EE FF");
    QTest::newRow("poll, tick 0") << toBytes(pollRequest(1, 0))
                                  << hexBytes("55 05 01 03 0B 00 8C EE FF");
    QTest::newRow("settings page")
        << toBytes(settingsPageRequest(3)) << hexBytes("55 05 03 03 00 00 00 EE FF");
    QTest::newRow("upgrade entry")
        << toBytes(upgradeEntryFrame()) << hexBytes("55 05 09 02 00 00 00 EE FF");
    QTest::newRow("generic") << toBytes(requestFrame(1, 0x77, 1, 2, 3))
                             << hexBytes("55 05 01 77 01 02 03 EE FF");
}

void TestFrames::requestFrames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(spaced(frame), spaced(expected));
}

void TestFrames::pollAlternatesMeasurementAndSettings()
{
    // Starting from 0, the first request asks for a measurement, then they alternate.
    uint32_t tick = 0;
    for (int i = 0; i < 6; ++i) {
        tick = nextTickCounter(tick);
        const uint8_t expected = i % 2 == 0 ? CmdMeasurementRequest : CmdSettingsRequest;
        QCOMPARE(int(pollRequest(1, tick)[3]), int(expected));
    }
}

void TestFrames::tickCounterWraps_data()
{
    QTest::addColumn<quint32>("tick");
    QTest::addColumn<quint32>("next");
    QTest::newRow("start") << 0u << 1u;
    QTest::newRow("below top") << 0x0FFFFFFEu << 0x0FFFFFFFu;
    QTest::newRow("top wraps to 0") << 0x0FFFFFFFu << 0u;
    QTest::newRow("beyond top wraps too") << 0xFFFFFFFFu << 0u;
}

void TestFrames::tickCounterWraps()
{
    QFETCH(quint32, tick);
    QFETCH(quint32, next);
    QCOMPARE(nextTickCounter(tick), next);
}

QTEST_APPLESS_MAIN(TestFrames)
#include "tst_frames.moc"
