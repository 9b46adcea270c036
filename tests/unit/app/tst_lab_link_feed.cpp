// What the instrument core publishes on the lab link, against the simulated instrument and a real
// broker: nothing before the instrument is identified and only under its own name (serial and
// bus address); a reading a second while it is connected, resting or not; every recorded row's
// reading equal to the data file's row of the same sample, in one set of units, for both
// families; and a run announced with its first row and ended with how it ended and its file.
// Several instruments on one cable: each under its own name with its own values, polled only
// while the lab link is on, and handed over without a false "offline" when another is chosen.
// A test plan's start, steps and end on the plan topic.

#include "acquire/instrument_core.h"
#include "acquire/lab_link_feed.h"
#include "acquire/plan_runner.h"
#include "acquire/run_saving.h"
#include "acquire/test_plan.h"
#include "lablink/link_settings.h"
#include "lablink/publisher.h"
#include "protocol/codes.h"
#include "record/recorder.h"
#include "sim/demo_option.h"
#include "sim/simulated_bus.h"
#include "tests/gui/data_file_rows.h"
#include "tests/support/temp_workdir.h"
#include "tests/unit/lablink/broker_fixture.h"
#include "usb/bus_scan.h"
#include "usb/device_link.h"
#include "usb/scan_pacer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using acquire::RunSession;

namespace {

// A broker with a subscriber, a working folder with its own settings and data folder, and a
// simulated bus as the program's device.
struct Rig
{
    Broker broker;
    std::unique_ptr<Subscriber> sub;
    TempWorkDir dir;
    std::unique_ptr<sim::SimulatedBus> bus;

    bool start(const QString &topic, const sim::BusConfig &config)
    {
        QFile ini(dir.file("usb-hid.ini"));
        if (!broker.start() || !ini.open(QIODevice::WriteOnly))
            return false;
        ini.write("[General]\nsave_path=" + dir.file("Data").toUtf8() + "\n");
        ini.close();
        qputenv("XDG_DATA_HOME", dir.file("xdg-data").toUtf8());
        sub = std::make_unique<Subscriber>(broker.port(), topic);
        bus = std::make_unique<sim::SimulatedBus>(config);
        hid::setBackend(bus.get());
        ScanPacer::setPacing(60, 25);
        return sub->waitReady();
    }
    ~Rig() { hid::setBackend(nullptr); }
};

sim::BusConfig busOf(const QString &demo)
{
    sim::BusConfig config;
    if (!sim::parseDemoOption(demo, config))
        qFatal("bad demo option %s", qPrintable(demo));
    return config;
}

bool startIdentified(acquire::InstrumentCore &core)
{
    QSignalSpy identified(&core, &acquire::InstrumentCore::identified);
    core.recoverEarlierRuns();
    return core.start() && identified.wait(5000);
}

lablink::LinkSettings linkTo(const Broker &broker)
{
    lablink::LinkSettings settings;
    settings.enabled = true;
    settings.host = "127.0.0.1";
    settings.port = broker.port();
    settings.prefix = "feed";
    return settings;
}

QJsonObject lastJson(const QList<QByteArray> &payloads)
{
    return payloads.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(payloads.last()).object();
}

// The bus addresses the program's poll requests went to.
QSet<int> polledAddresses(const QVector<QByteArray> &written)
{
    QSet<int> addresses;
    for (const QByteArray &r : written)
        if (r.size() > 4 && quint8(r[0]) == proto::kCommandStart &&
            (quint8(r[3]) == proto::CmdMeasurementRequest ||
             quint8(r[3]) == proto::CmdSettingsRequest))
            addresses << quint8(r[2]);
    return addresses;
}

} // namespace

class TestLabLinkFeed : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLoggingCategory::setFilterRules("*.debug=false"); }
    void publishedAsRecorded_data();
    void publishedAsRecorded();
    void instrumentsOnOneCable();
    void planEvents();
};

void TestLabLinkFeed::publishedAsRecorded_data()
{
    QTest::addColumn<QString>("demo");
    QTest::addColumn<quint8>("family");
    // The HK07's load goes on five seconds in: it rests first. The NV05 records from the start.
    QTest::newRow("HK07") << "HK07:2;serial=A1B2C3D4E5;speed=2;run=10,600,2"
                          << quint8(proto::Hk07Family);
    QTest::newRow("NV05") << "NV05:2;serial=A1B2C3D4E5;speed=200" << quint8(proto::Nv05Family);
}

void TestLabLinkFeed::publishedAsRecorded()
{
    QFETCH(QString, demo);
    QFETCH(quint8, family);
    Rig rig;
    QVERIFY(rig.start("feed/#", busOf(demo)));
    const Broker &broker = rig.broker;
    Subscriber &sub = *rig.sub;
    const QString base = "feed/A1B2C3D4E5-2";
    {
        acquire::InstrumentCore core;
        core.recoverEarlierRuns();
        core.startLabLink(linkTo(broker));
        QVERIFY(core.start());
        QTRY_VERIFY_WITH_TIMEOUT(core.labLink().isConnected(), 10000);
        QCOMPARE(retainedMessage(broker.port(), base + "/status"), QByteArray("online"));
        QTRY_VERIFY_WITH_TIMEOUT(core.recorder().rowCount() >= 12, 30000);
        core.finish(RunSession::End::Signal);
    }

    QTRY_COMPARE_WITH_TIMEOUT(sub.payloadsOn(base + "/run").size(), 3, 5000);
    // Only the instrument's own topics, and its status left "offline".
    for (const auto &message : sub.messages())
        QVERIFY2(message.first.startsWith(base + "/") || message.first == "test/ready",
                 qPrintable(message.first));
    QCOMPARE(retainedMessage(broker.port(), base + "/status"), QByteArray("offline"));

    QStringList events;
    QString path;
    for (const QByteArray &json : sub.payloadsOn(base + "/run")) {
        const QJsonObject event = QJsonDocument::fromJson(json).object();
        events << event.value("event").toString();
        path = event.value("path").toString();
    }
    QCOMPARE(events, QStringList({"started", "interrupted", "saved"}));
    const QVector<QStringList> rows = csvRows(path);
    QVERIFY2(rows.size() >= 10, qPrintable(path));

    // The recorded rows' readings are the file's rows, quantity by quantity, with the NV05
    // family's kWh and Ah published as Wh and mAh.
    const QList<QByteArray> readings = sub.payloadsOn(base + "/reading");
    int row = 0, resting = 0;
    for (const QByteArray &json : readings) {
        const QJsonObject reading = QJsonDocument::fromJson(json).object();
        if (!reading.value("recording").toBool()) {
            QVERIFY2(row == 0 || row == rows.size(), json.constData());
            resting += reading.value("load_on").toBool() ? 0 : 1;
            continue;
        }
        QVERIFY2(row < rows.size(), json.constData());
        const QStringList &cells = rows[row++];
        QCOMPARE(cells.size(), 1 + proto::fileColumnCount(family));
        for (int c = 0; c < proto::fileColumnCount(family); ++c) {
            const proto::Quantity q = proto::kFileColumns[size_t(c)].quantity;
            const QJsonObject published = reading.value(proto::terms(q).key).toObject();
            const double expected = proto::toBaseUnit(q, family, cells[c + 1].toDouble());
            QVERIFY2(qAbs(published.value("value").toDouble() - expected) <=
                         1e-9 * qMax(1.0, qAbs(expected)),
                     qPrintable(
                         QString("%1 in %2 / %3").arg(proto::terms(q).key, json, cells.join(','))));
            QCOMPARE(published.value("unit").toString(),
                     QString::fromUtf8(proto::terms(q).linkUnit));
        }
        QCOMPARE(reading.contains("mos_temp"), family == proto::Hk07Family);
    }
    QCOMPARE(row, rows.size());
    // The HK07 published while its load rested, before the run.
    if (family == proto::Hk07Family)
        QVERIFY2(resting >= 2, qPrintable(QString::number(resting)));
}

// Three instruments on one cable (an HK07 at 1 with one cell, an NV05 meter at 2 with two, an
// HK07 at 3 with three cells and its load on at 1.5 A): each publishes under its own name its own
// values, status and discovery; the other two are polled only while the lab link is on, and go
// "offline" when it stops; choosing another instrument hands names over without an "offline".
void TestLabLinkFeed::instrumentsOnOneCable()
{
    sim::BusConfig config = busOf("HK07:1,3+NV05:2;serial=A1B2C3D4E5");
    config.writtenKept = 4096;
    for (sim::InstrumentConfig &instrument : config.instruments)
        instrument.cells = instrument.address;
    config.instruments[1].knobStartAt = 0; // address 3
    config.instruments[1].knobRunSeconds = 600;
    config.instruments[1].knobAmps = 1.5;
    Rig rig;
    QVERIFY(rig.start("feed/#", config));
    const Broker &broker = rig.broker;
    Subscriber &sub = *rig.sub;
    sim::SimulatedBus &bus = *rig.bus;
    const QString base = "feed/A1B2C3D4E5-";
    {
        acquire::InstrumentCore core;
        QVERIFY(startIdentified(core));
        QTest::qWait(2000);
        QCOMPARE(polledAddresses(bus.writtenReports()), QSet<int>{1}); // the link is off

        core.startLabLink(linkTo(broker));
        QTRY_VERIFY_WITH_TIMEOUT(sub.payloadsOn(base + "1/reading").size() >= 4 &&
                                     sub.payloadsOn(base + "2/reading").size() >= 4 &&
                                     sub.payloadsOn(base + "3/reading").size() >= 4,
                                 15000);
        QCOMPARE(polledAddresses(bus.writtenReports()), (QSet<int>{1, 2, 3}));
        struct Expected
        {
            int address;
            quint8 family;
            bool loadOn;
            double amps;
        };
        for (const Expected &e : {Expected{1, proto::Hk07Family, false, 0.0},
                                  Expected{2, proto::Nv05Family, false, 0.0},
                                  Expected{3, proto::Hk07Family, true, 1.5}}) {
            const QString name = base + QString::number(e.address);
            QCOMPARE(retainedMessage(broker.port(), name + "/status"), QByteArray("online"));
            const QJsonObject config =
                QJsonDocument::fromJson(
                    retainedMessage(broker.port(),
                                    QString("homeassistant/sensor/A1B2C3D4E5-%1/voltage/config")
                                        .arg(e.address)))
                    .object();
            QCOMPARE(config.value("state_topic").toString(), name + "/reading");
            const QJsonObject reading = lastJson(sub.payloadsOn(name + "/reading"));
            const double volts = reading.value("voltage").toObject().value("value").toDouble();
            QVERIFY2(volts > 3.0 * e.address && volts < 4.3 * e.address,
                     qPrintable(name + ": " + QString::number(volts)));
            QVERIFY2(qAbs(reading.value("current").toObject().value("value").toDouble() - e.amps) <
                         0.1,
                     qPrintable(name + ": " + QJsonDocument(reading).toJson()));
            QCOMPARE(reading.value("load_on").toBool(), e.loadOn);
            QCOMPARE(reading.value("recording").toBool(), false);
            QCOMPARE(reading.contains("mos_temp"), e.family == proto::Hk07Family);
        }
        QCOMPARE(core.labLink().isConnected(), true);
        QCOMPARE(sub.payloadsOn(base + "1/status"), QList<QByteArray>{"online"});

        // Another instrument chosen: names change hands, none goes "offline" on the way.
        core.busScan().select(3);
        const int before = sub.payloadsOn(base + "1/reading").size();
        QTRY_VERIFY_WITH_TIMEOUT(sub.payloadsOn(base + "1/reading").size() >= before + 3, 10000);
        QCOMPARE(core.link().currentAddress(), quint8(3));
        for (const int address : {1, 2, 3}) {
            const QString status = base + QString::number(address) + "/status";
            QVERIFY2(!sub.payloadsOn(status).contains("offline"), qPrintable(status));
            QCOMPARE(retainedMessage(broker.port(), status), QByteArray("online"));
        }

        // The link off: every instrument "offline", only the selected one polled.
        core.startLabLink(lablink::LinkSettings{});
        for (const int address : {1, 2, 3})
            QTRY_COMPARE_WITH_TIMEOUT(
                retainedMessage(broker.port(), base + QString::number(address) + "/status"),
                QByteArray("offline"), 5000);
        bus.clearWrittenReports();
        QTest::qWait(2000);
        QCOMPARE(polledAddresses(bus.writtenReports()), QSet<int>{3});
        core.finish(RunSession::End::Signal);
    }
}

// A short plan's progress on the plan topic, in order, the last event naming the results file
// the runner wrote.
void TestLabLinkFeed::planEvents()
{
    Rig rig;
    QVERIFY(rig.start("feed/+/plan", busOf("HK07;serial=A1B2C3D4E5;speed=20")));
    Subscriber &sub = *rig.sub;
    plan::Plan plan;
    QString error;
    QVERIFY(plan::parsePlan("Discharge at 0.5 A for 2 s\nRest for 1 s", &plan, &error));
    QJsonObject finished;
    {
        acquire::InstrumentCore core;
        QSignalSpy ended(&core.plans(), &acquire::PlanRunner::finished);
        core.startLabLink(linkTo(rig.broker));
        QVERIFY(startIdentified(core));
        QTRY_VERIFY_WITH_TIMEOUT(core.labLink().isConnected(), 10000);
        QVERIFY2(core.plans().start(plan, &error), qPrintable(error));
        QVERIFY(ended.wait(30000));
        finished = ended.first().first().toJsonObject();
        core.finish(RunSession::End::Signal);
    }

    const QString topic = "feed/A1B2C3D4E5-1/plan";
    QTRY_COMPARE_WITH_TIMEOUT(sub.payloadsOn(topic).size(), 6, 5000);
    QStringList events, steps;
    for (const QByteArray &json : sub.payloadsOn(topic)) {
        const QJsonObject event = QJsonDocument::fromJson(json).object();
        QVERIFY2(QDateTime::fromString(event.value("time").toString(), Qt::ISODateWithMs).isValid(),
                 json.constData());
        events << event.value("event").toString();
        if (event.contains("step"))
            steps << QString("%1 %2 %3")
                         .arg(event.value("step").toInt())
                         .arg(event.value("text").toString(), event.value("reason").toString());
    }
    QCOMPARE(events, QStringList({"plan started", "step started", "step ended", "step started",
                                  "step ended", "plan ended"}));
    QCOMPARE(steps,
             QStringList({"1 Discharge at 0.5 A for 2 s ", "1 Discharge at 0.5 A for 2 s time",
                          "2 Rest for 1 s ", "2 Rest for 1 s time"}));
    const QJsonObject first = QJsonDocument::fromJson(sub.payloadsOn(topic).first()).object();
    QCOMPARE(first.value("steps").toInt(), 2);
    QJsonObject last = QJsonDocument::fromJson(sub.payloadsOn(topic).last()).object();
    last.remove("event");
    last.remove("time");
    QCOMPARE(last, finished); // outcome, reason, data and results files
    QCOMPARE(last.value("outcome").toString(), QString("completed"));
    QVERIFY2(QFile::exists(last.value("results_file").toString()),
             qPrintable(last.value("results_file").toString()));
}

QTEST_GUILESS_MAIN(TestLabLinkFeed)
#include "tst_lab_link_feed.moc"
