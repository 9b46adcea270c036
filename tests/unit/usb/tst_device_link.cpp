// The link over the main handle against the simulated instrument: what each poll tick sends, how
// the read step drains the handle, and the model rule.

#include "usb/device_link.h"

#include "../sim/sim_link.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
// The 0x55 frames written since the last clear: code in byte 3, address in byte 2.
QVector<QByteArray> sentFrames(sim::SimulatedBus &bus)
{
    QVector<QByteArray> frames;
    for (const QByteArray &r : bus.writtenReports())
        if (quint8(r[0]) == 0x55)
            frames.append(r);
    bus.clearWrittenReports();
    return frames;
}
} // namespace

class TstDeviceLink : public QObject
{
    Q_OBJECT
private slots:
    void pollTickSendsWhatTheCycleSelects();
    void readStepTakesEveryWaitingReportInOrder();
    void modelWordsPickTheFamily_data();
    void modelWordsPickTheFamily();
};

void TstDeviceLink::pollTickSendsWhatTheCycleSelects()
{
    sim::SimulatedBus bus(manualBus());
    hid::setBackend(&bus);
    DeviceLink closed;
    closed.pollTick(); // no handle: counted, nothing written or read
    QCOMPARE(closed.tickCounter(), 1u);
    QCOMPARE(closed.readStep(), 0);
    QVERIFY(bus.writtenReports().isEmpty());

    DeviceLink link;
    QVERIFY(link.open());
    hid::setBackend(nullptr);
    QVERIFY(link.productString().contains("HK07"));
    link.state().bus.currentAddress = 3;

    // What each tick writes from the first on: request code in byte 3, 0 for nothing.
    struct Step
    {
        bool scanBusy;
        quint8 pollMode;
        int code;
    };
    const Step steps[] = {
        {false, DeviceLink::NormalPoll, 0x05},       // tick 1 (odd): measurement request
        {false, DeviceLink::NormalPoll, 0x03},       // tick 2 (even): settings request
        {true, DeviceLink::NormalPoll, 0},           // a bus scan runs: silent
        {false, DeviceLink::UpgradeEntryPoll, 0x02}, // once, to the loader's fixed address
        {false, DeviceLink::NormalPoll, 0x05},       // tick 5: normal polling again
    };
    for (const Step &step : steps) {
        link.setScanBusy(step.scanBusy);
        link.setPollMode(step.pollMode);
        link.pollTick();
        QCOMPARE(link.pollMode(), quint8(DeviceLink::NormalPoll));
        const QVector<QByteArray> frames = sentFrames(bus);
        if (step.code == 0) {
            QVERIFY(frames.isEmpty());
            continue;
        }
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0].size(), 64);
        QCOMPARE(int(quint8(frames[0][3])), step.code);
        QCOMPARE(int(quint8(frames[0][2])), step.code == 0x02 ? 0x09 : 3);
    }
    QCOMPARE(link.tickCounter(), 5u);
}

void TstDeviceLink::readStepTakesEveryWaitingReportInOrder()
{
    sim::SimulatedBus bus(manualBus());
    hid::setBackend(&bus);
    DeviceLink link;
    QVERIFY(link.open());
    hid::setBackend(nullptr);
    QSignalSpy applied(&link, &DeviceLink::reportsApplied);
    QSignalSpy settings(&link, &DeviceLink::settingsReplyArrived);

    auto send = [&link](const auto &frame) { link.sendReport(frame.data(), int(frame.size())); };
    // Twenty settings replies, each after a new standby time, then one measurement.
    for (int k = 0; k < 20; ++k) {
        send(proto::integerCommand(1, proto::CmdStandbyTime, 20 + k));
        send(proto::settingsPageRequest(1));
    }
    send(proto::pollRequest(1, 1));
    QCOMPARE(link.readStep(), 21);
    QCOMPARE(link.live().standbyTime, quint8(20 + 19)); // applied in order: the last one wins
    QCOMPARE(applied.count(), 1);                       // one redraw for all of them
    QCOMPARE(settings.count(), 1);
    QVERIFY(!link.state().settingsReplyPending);

    QCOMPARE(link.readStep(), 0); // drained: nothing left, nothing emitted
    QCOMPARE(applied.count(), 1);

    // A measurement alone redraws but is no settings reply.
    send(proto::pollRequest(1, 1));
    QCOMPARE(link.readStep(), 1);
    QCOMPARE(applied.count(), 2);
    QCOMPARE(settings.count(), 1);
}

void TstDeviceLink::modelWordsPickTheFamily_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("family");
    const int hk = proto::Hk07Family, nv = proto::Nv05Family, none = 0;
    const QPair<const char *, int> rows[] = {
        {"HK07", hk}, {"MR310", hk},  {"MR820", hk},  {"HK09", hk},    {"NV05", nv}, {"NV17", nv},
        {"NV15", nv}, {"hk07", none}, {"Nv05", none}, {"HK09 ", none}, {"", none}};
    for (const auto &row : rows)
        QTest::newRow(row.first) << QString(row.first) << row.second;
}

void TstDeviceLink::modelWordsPickTheFamily()
{
    QFETCH(QString, word);
    QFETCH(int, family);
    QCOMPARE(int(proto::familyOfModel(word)), family);
}

QTEST_GUILESS_MAIN(TstDeviceLink)
#include "tst_device_link.moc"
