// The simulated bus as the program meets it through the HID seam: the device list, handles and
// their queues, the address scan, unplugging, the firmware loader, faults, and the demo option.

#include "tests/unit/sim/sim_link.h"

#include "sim/rng.h"
#include "protocol/upgrade_packets.h"

#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <thread>

using sim::BusConfig;
using sim::InstrumentConfig;
using sim::SimulatedBus;

namespace {

BusConfig busAt(const QString &model, const QVector<uint8_t> &addresses)
{
    BusConfig config = manualBus();
    config.instruments.clear();
    for (uint8_t a : addresses) {
        InstrumentConfig c;
        c.model = model;
        c.address = a;
        config.instruments.append(c);
    }
    return config;
}

// Collects every reply of `count` measurement requests.
QVector<QByteArray> pollReplies(SimLink &link, int count)
{
    QVector<QByteArray> replies;
    for (int i = 0; i < count; ++i) {
        link.send(proto::requestFrame(1, proto::CmdMeasurementRequest, 0x0B, 0x00, 0x8C));
        link.bus.advance(0.5);
        const QByteArray r = link.read(5);
        if (!r.isEmpty())
            replies.append(r);
    }
    return replies;
}

// Sends one upgrade packet as the watcher does: 0x55, then packet bytes 0..62.
int sendPacket(hid::Device &device, const std::array<uint8_t, 64> &packet)
{
    std::array<uint8_t, 64> report{};
    report[0] = 0x55;
    std::copy(packet.begin(), packet.begin() + 63, report.begin() + 1);
    return device.write(report.data(), report.size());
}

proto::UpgradeReplyInfo upgradeReply(SimLink &link, int ms = 100)
{
    const QByteArray r = link.read(ms);
    return proto::classifyUpgradeReply(reinterpret_cast<const uint8_t *>(r.constData()), r.size());
}

} // namespace

class TstSimBus : public QObject
{
    Q_OBJECT

private slots:
    void listsOneDeviceNamedAfterTheMaster();
    void everyHandleGetsEveryReply();
    void unplugKillsHandlesUntilPlugged();
    void addressScanMarksOnlyTheMaster();
    void framesNobodyAnswers();
    void fullQueueDropsTheNewest();
    void replyLatencyAndBlockingRead();
    void fullSpeedLinkPacesWrites();
    void sameSeedSameBytes();
    void faultSwitches();
    void loaderReceivesFullImage();
    void loaderFaults_data();
    void loaderFaults();
    void demoOption_data();
    void demoOption();
    void demoOptionRefusesBadInput_data();
    void demoOptionRefusesBadInput();
};

void TstSimBus::listsOneDeviceNamedAfterTheMaster()
{
    SimulatedBus bus(busAt("HK09", {2, 5}));
    const auto list = bus.enumerate(SimulatedBus::kVendorId, SimulatedBus::kProductId);
    QCOMPARE(list.size(), 1);
    QCOMPARE(list[0].product, QString("TALMIR HK09 V1.0.8"));
    QCOMPARE(list[0].serialNumber, QString("A1B2C3D4E5"));
    QVERIFY(bus.enumerate(0x1234, 0x5750).isEmpty());
    QVERIFY(!bus.open(0x0483, 0x5750, "OTHER"));
    auto device = bus.open(0x0483, 0x5750, "A1B2C3D4E5");
    QVERIFY(device);
    QCOMPARE(device->productString(), QString("TALMIR HK09 V1.0.8"));
    QCOMPARE(device->manufacturerString(), QString("TALMIR"));
}

void TstSimBus::everyHandleGetsEveryReply()
{
    SimulatedBus bus(manualBus());
    SimLink main(bus), watcher(bus);
    main.send(proto::settingsPageRequest(1));
    const QByteArray a = main.read(), b = watcher.read();
    QCOMPARE(a.size(), 64);
    QCOMPARE(a, b);
    QCOMPARE(uint8_t(a[3]), uint8_t(proto::ReplySettings));
    QVERIFY(main.read(0).isEmpty()); // one copy each, not more
}

void TstSimBus::unplugKillsHandlesUntilPlugged()
{
    SimulatedBus bus(manualBus());
    SimLink old(bus);
    QVERIFY(old.device);
    // A thread blocked in a read wakes up with the error.
    std::atomic<int> blockedResult{1};
    std::thread reader([&] {
        unsigned char buffer[64];
        blockedResult = old.device->readTimeout(buffer, 64, 5000);
    });
    QTest::qWait(20);
    bus.unplug();
    reader.join();
    QCOMPARE(blockedResult.load(), -1);
    unsigned char buffer[64] = {0x55, 0x05, 0x01, 0x03, 0, 0, 0, 0xEE, 0xFF};
    QCOMPARE(old.device->write(buffer, 64), -1);
    QCOMPARE(old.device->read(buffer, 64), -1);
    QVERIFY(bus.enumerate(0x0483, 0x5750).isEmpty());
    QVERIFY(!bus.open(0x0483, 0x5750));
    QVERIFY(!bus.lastOpenError().isEmpty());
    QVERIFY(old.device->productString().isEmpty());

    bus.plug();
    QVERIFY(bus.isPlugged());
    SimLink fresh(bus);
    QVERIFY(fresh.device);
    QCOMPARE(fresh.ask(proto::CmdSettingsRequest), proto::ReportKind::Settings);
    QCOMPARE(old.device->readTimeout(buffer, 64, 10), -1); // old handles stay dead
}

void TstSimBus::addressScanMarksOnlyTheMaster()
{
    SimulatedBus bus(busAt("HK07", {2, 5}));
    SimLink link(bus);
    link.state.bus = proto::BusState{};
    int answers = 0;
    for (uint8_t a = 1; a <= 10; ++a) {
        link.send(proto::addressRequest(a));
        const QByteArray r = link.read(20);
        if (r.isEmpty())
            continue;
        ++answers;
        QCOMPARE(uint8_t(r[2]), a);
        QCOMPARE(uint8_t(r[4]), uint8_t(a == 2 ? 1 : 0));
        QCOMPARE(proto::parseIncomingReport(link.state,
                                            reinterpret_cast<const uint8_t *>(r.constData()), 64),
                 proto::ReportKind::AddressReply);
    }
    QCOMPARE(answers, 2);
    QCOMPARE(link.state.bus.foundAddresses, (std::vector<uint8_t>{2, 5}));
    QCOMPARE(link.state.bus.masterAddress, uint8_t(2));
    QCOMPARE(link.state.bus.currentAddress, uint8_t(2));

    // Each instrument answers for itself and keeps its own settings.
    link.send(proto::floatCommand(5, proto::CmdOverPower, 42.0f));
    link.state.bus.currentAddress = 5;
    QCOMPARE(link.settings().overPowerLimit, 42.0f);
    link.state.bus.currentAddress = 2;
    QVERIFY(link.settings().overPowerLimit != 42.0f);
}

void TstSimBus::framesNobodyAnswers()
{
    SimulatedBus bus(manualBus());
    SimLink link(bus);
    link.send(proto::requestFrame(3, proto::CmdSettingsRequest, 0, 0, 0)); // nobody at 3
    QVERIFY(link.read(20).isEmpty());
    unsigned char noTrailer[64] = {0x55, 0x05, 0x01, 0x03, 0, 0, 0, 0xEE, 0x00};
    link.device->write(noTrailer, 64);
    QVERIFY(link.read(20).isEmpty());
    unsigned char wrongStart[64] = {0x56, 0x05, 0x01, 0x03, 0, 0, 0, 0xEE, 0xFF};
    link.device->write(wrongStart, 64);
    QVERIFY(link.read(20).isEmpty());
    QCOMPARE(bus.writtenReports().size(), 3);
    QCOMPARE(uint8_t(bus.writtenReports()[2][0]), uint8_t(0x56));
    bus.clearWrittenReports();
    QVERIFY(bus.writtenReports().isEmpty());

    // The log keeps the newest reports up to its bound, and nothing unless asked.
    BusConfig bounded = manualBus();
    bounded.writtenKept = 2;
    BusConfig unasked = manualBus();
    unasked.writtenKept = BusConfig().writtenKept;
    SimulatedBus keepsTwo(bounded);
    SimulatedBus keepsNone(unasked);
    for (SimulatedBus *b : {&keepsTwo, &keepsNone}) {
        SimLink l(*b);
        for (int k = 0; k < 5; ++k)
            l.send(proto::requestFrame(uint8_t(10 + k), proto::CmdSettingsRequest, 0, 0, 0));
    }
    const QVector<QByteArray> kept = keepsTwo.writtenReports();
    QCOMPARE(kept.size(), 2);
    QCOMPARE(uint8_t(kept[0][2]), uint8_t(13));
    QCOMPARE(uint8_t(kept[1][2]), uint8_t(14));
    QVERIFY(keepsNone.writtenReports().isEmpty());
}

void TstSimBus::fullQueueDropsTheNewest()
{
    SimulatedBus bus(manualBus());
    SimLink link(bus);
    for (int k = 0; k < 100; ++k) {
        link.send(proto::integerCommand(1, proto::CmdStandbyTime, 10 + k % 50));
        link.send(proto::settingsPageRequest(1));
    }
    QVector<int> standby;
    for (QByteArray r = link.read(0); !r.isEmpty(); r = link.read(0))
        standby.append(uint8_t(r[52]));
    QCOMPARE(standby.size(), SimulatedBus::kQueueDepth);
    QCOMPARE(standby.first(), 10); // as hidraw: the oldest stay, the 36 newest were dropped
    QCOMPARE(standby.last(), 10 + 63 % 50);
}

void TstSimBus::replyLatencyAndBlockingRead()
{
    BusConfig config = manualBus();
    config.replyLatencyMs = 40;
    SimulatedBus bus(config);
    SimLink link(bus);
    link.device->setNonBlocking(true);
    unsigned char buffer[64];
    link.send(proto::settingsPageRequest(1));
    QCOMPARE(link.device->read(buffer, 64), 0); // not readable yet
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(link.device->readTimeout(buffer, 64, 2000), 64);
    QVERIFY(timer.elapsed() >= 30);
    QVERIFY(timer.elapsed() < 1500);

    // A watcher blocked on its own handle is woken by another thread's request.
    SimLink watcher(bus);
    std::atomic<int> got{0};
    std::thread waiting([&] {
        unsigned char b[64];
        got = watcher.device->readTimeout(b, 64, 3000);
    });
    QTest::qWait(30);
    link.send(proto::settingsPageRequest(1));
    waiting.join();
    QCOMPARE(got.load(), 64);
}

void TstSimBus::fullSpeedLinkPacesWrites()
{
    BusConfig config = manualBus();
    config.fullSpeedLink = true;
    SimulatedBus bus(config);
    SimLink link(bus);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 40; ++i)
        link.send(proto::settingsPageRequest(1));
    QVERIFY2(timer.elapsed() >= 38, qPrintable(QString::number(timer.elapsed())));
    // Replies leave one per frame as well: all arrive, and not faster than the link allows.
    int count = 0;
    while (!link.read(50).isEmpty())
        ++count;
    QCOMPARE(count, 40);

    // A command and its reply take two frames however quickly the host answers, and the bus
    // tells how long the host took to answer each reply.
    timer.restart();
    for (int i = 0; i < 20; ++i) {
        link.send(proto::settingsPageRequest(1));
        QVERIFY(!link.read(50).isEmpty());
    }
    QVERIFY2(timer.elapsed() >= 39, qPrintable(QString::number(timer.elapsed())));
    const QVector<double> delays = bus.answerDelays();
    QVERIFY(delays.size() >= 20);
    QVERIFY(std::all_of(delays.end() - 19, delays.end(), [](double us) { return us >= 0; }));
}

void TstSimBus::sameSeedSameBytes()
{
    auto run = [](quint64 seed) {
        BusConfig config = manualBus();
        config.seed = seed;
        SimulatedBus bus(config);
        SimLink link(bus);
        link.run(true);
        return pollReplies(link, 20);
    };
    const auto a = run(7), b = run(7), c = run(8);
    QCOMPARE(a.size(), 20);
    QCOMPARE(a, b);
    QVERIFY(a != c); // the measurement noise follows the seed
}

void TstSimBus::faultSwitches()
{
    BusConfig config = manualBus();
    SimulatedBus bus(config);
    SimLink link(bus);
    SimulatedBus::Faults f;

    f.lostReplyRate = 1.0;
    bus.setFaults(f);
    QVERIFY(pollReplies(link, 10).isEmpty());
    f.lostReplyRate = 0.5;
    bus.setFaults(f);
    const int half = pollReplies(link, 200).size();
    QVERIFY2(half > 70 && half < 130, qPrintable(QString::number(half)));

    f = {};
    f.corruptRate = 1.0;
    bus.setFaults(f);
    link.send(proto::settingsPageRequest(1));
    const QByteArray corrupted = link.read();
    bus.setFaults({});
    link.send(proto::settingsPageRequest(1));
    const QByteArray clean = link.read();
    QCOMPARE(corrupted.size(), 64);
    int differing = 0;
    for (int i = 0; i < 64; ++i)
        differing += corrupted[i] != clean[i];
    QCOMPARE(differing, 1);

    f = {};
    f.foreignAddress = true;
    bus.setFaults(f);
    QCOMPARE(link.ask(proto::CmdMeasurementRequest), proto::ReportKind::Ignored);
    QCOMPARE(link.ask(proto::CmdSettingsRequest), proto::ReportKind::Ignored);
    link.send(proto::addressRequest(1)); // the scan is left alone
    QCOMPARE(uint8_t(link.read()[2]), uint8_t(1));

    f = {};
    f.shortReads = true;
    bus.setFaults(f);
    for (int i = 0; i < 20; ++i) {
        link.send(proto::settingsPageRequest(1));
        unsigned char buffer[64];
        const int n = link.device->readTimeout(buffer, 64, 100);
        QVERIFY(n > 0 && n < 64);
    }
}

void TstSimBus::loaderReceivesFullImage()
{
    SimulatedBus bus(manualBus());
    SimLink link(bus);
    QByteArray image(proto::kMaxFirmwareSize, Qt::Uninitialized);
    sim::Rng rng(42);
    for (char &c : image)
        c = char(rng.next());

    QVERIFY(!bus.inLoader());
    link.send(proto::upgradeEntryFrame());
    QVERIFY(bus.inLoader());
    link.send(proto::settingsPageRequest(1)); // the loader does not speak the normal protocol
    QVERIFY(link.read(10).isEmpty());

    sendPacket(*link.device, proto::handshakePacket(image.size()));
    QCOMPARE(upgradeReply(link).kind, proto::UpgradeReply::HandshakeAccepted);
    const int packets = proto::packetCount(image.size());
    QCOMPARE(packets, 17656);
    for (int k = 0; k < packets; ++k) {
        QCOMPARE(sendPacket(*link.device, proto::dataPacket(image, k)), 64);
        const auto ack = upgradeReply(link);
        if (ack.kind != proto::UpgradeReply::PacketReceived || ack.packetIndex != k)
            QFAIL(qPrintable(QString("packet %1 not acknowledged").arg(k)));
    }
    QCOMPARE(upgradeReply(link).kind, proto::UpgradeReply::AllReceived);
    QVERIFY(link.read(10).isEmpty()); // programming takes its time
    bus.advance(2.5);
    QCOMPARE(upgradeReply(link).kind, proto::UpgradeReply::Programmed);
    QVERIFY(bus.loaderImage() == image);
    QVERIFY(!bus.inLoader());
    QCOMPARE(link.ask(proto::CmdSettingsRequest), proto::ReportKind::Settings); // back to work
}

void TstSimBus::loaderFaults_data()
{
    QTest::addColumn<bool>("fails");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("failAt");
    QTest::addColumn<int>("corruptPacket"); // -1: none
    QTest::newRow("programming fails") << true << false << -1 << -1;
    QTest::newRow("packet 1 fails") << true << false << 1 << -1;
    QTest::newRow("silent") << false << true << -1 << -1;
    QTest::newRow("bad CRC is not acknowledged") << false << false << -1 << 2;
}

void TstSimBus::loaderFaults()
{
    QFETCH(bool, fails);
    QFETCH(bool, silent);
    QFETCH(int, failAt);
    QFETCH(int, corruptPacket);
    SimulatedBus bus(manualBus());
    SimLink link(bus);
    SimulatedBus::Faults f;
    f.loaderFails = fails;
    f.loaderSilent = silent;
    f.loaderFailAtPacket = failAt;
    bus.setFaults(f);
    const QByteArray image(200, 'x'); // 4 packets, the last one short
    link.send(proto::upgradeEntryFrame());
    sendPacket(*link.device, proto::handshakePacket(image.size()));
    QVector<proto::UpgradeReply> kinds;
    auto collect = [&] {
        for (QByteArray r = link.read(5); !r.isEmpty(); r = link.read(5))
            kinds.append(proto::classifyUpgradeReply(
                             reinterpret_cast<const uint8_t *>(r.constData()), r.size())
                             .kind);
    };
    for (int k = 0; k < proto::packetCount(image.size()); ++k) {
        auto packet = proto::dataPacket(image, k);
        if (k == corruptPacket)
            packet[10] ^= 0x01;
        sendPacket(*link.device, packet);
        collect();
    }
    bus.advance(3);
    collect();
    using R = proto::UpgradeReply;
    if (silent) {
        QVERIFY(kinds.isEmpty());
        QCOMPARE(bus.loaderImage(), image); // it still listens
    } else if (fails && failAt < 0) {
        QCOMPARE(kinds,
                 (QVector<R>{R::HandshakeAccepted, R::PacketReceived, R::PacketReceived,
                             R::PacketReceived, R::PacketReceived, R::AllReceived, R::Failed}));
    } else if (fails) {
        QCOMPARE(kinds, (QVector<R>{R::HandshakeAccepted, R::PacketReceived, R::Failed}));
    } else {
        // No acknowledgement for the damaged packet; the ones after it are out of order.
        QCOMPARE(kinds, (QVector<R>{R::HandshakeAccepted, R::PacketReceived, R::PacketReceived}));
        QCOMPARE(bus.loaderImage(), image.left(2 * proto::kPiece));
        QVERIFY(bus.inLoader());
    }
}

void TstSimBus::demoOption_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("models");
    QTest::addColumn<QList<int>>("addresses");
    QTest::addColumn<double>("timeScale");
    QTest::addColumn<bool>("bench");
    QTest::newRow("empty") << "" << QStringList{"HK07"} << QList<int>{1} << 1.0 << false;
    QTest::newRow("model only") << "nv05" << QStringList{"NV05"} << QList<int>{1} << 1.0 << false;
    QTest::newRow("addresses") << "HK09:2,5" << QStringList{"HK09", "HK09"} << QList<int>{2, 5}
                               << 1.0 << false;
    QTest::newRow("settings") << "HK07; speed=10 ;capacity=2600" << QStringList{"HK07"}
                              << QList<int>{1} << 10.0 << false;
    QTest::newRow("two models, bench")
        << "MR310:1+HK07:3+supply=12+limit=3" << QStringList{"MR310", "HK07"} << QList<int>{1, 3}
        << 1.0 << true;
    QTest::newRow("manual clock") << "speed=0" << QStringList{"HK07"} << QList<int>{1} << 0.0
                                  << false;
}

void TstSimBus::demoOption()
{
    QFETCH(QString, text);
    QFETCH(QStringList, models);
    QFETCH(QList<int>, addresses);
    QFETCH(double, timeScale);
    QFETCH(bool, bench);
    BusConfig config;
    QString error;
    QVERIFY2(sim::parseDemoOption(text, config, &error), qPrintable(error));
    QCOMPARE(config.instruments.size(), models.size());
    for (int i = 0; i < models.size(); ++i) {
        QCOMPARE(config.instruments[i].model, models[i]);
        QCOMPARE(int(config.instruments[i].address), addresses[i]);
        QCOMPARE(config.instruments[i].source == sim::SourceKind::BenchSupply, bench);
    }
    QCOMPARE(config.timeScale, timeScale);
    if (text.contains("capacity"))
        QCOMPARE(config.instruments[0].capacityAh, 2.6);
    if (bench)
        QCOMPARE(config.instruments[1].supplyCurrentLimit, 3.0);
    // The option builds a working bus whose product string names the first model.
    SimulatedBus bus(config);
    QCOMPARE(bus.enumerate(0x0483, 0x5750).value(0).product.split(' ').value(1), models[0]);
}

void TstSimBus::demoOptionRefusesBadInput_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("unknown model") << "XY12";
    QTest::newRow("address 0") << "HK07:0";
    QTest::newRow("address 256") << "HK07:256";
    QTest::newRow("duplicate address") << "HK07:2,2";
    QTest::newRow("negative speed") << "speed=-1";
    QTest::newRow("unknown key") << "colour=red";
    QTest::newRow("bad number") << "capacity=lots";
    QTest::newRow("empty part") << "HK07;;speed=2";
    QTest::newRow("blank in maker") << "maker=A B";
    QTest::newRow("run without its length") << "run=5";
    QTest::newRow("run at no time") << "run=soon,60";
}

void TstSimBus::demoOptionRefusesBadInput()
{
    QFETCH(QString, text);
    BusConfig config;
    config.seed = 99;
    QString error;
    QVERIFY(!sim::parseDemoOption(text, config, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(config.seed, quint64(99)); // left untouched
}

QTEST_GUILESS_MAIN(TstSimBus)
#include "tst_sim_bus.moc"
