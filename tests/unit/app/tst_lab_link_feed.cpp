// What the instrument core publishes on the lab link, against the simulated instrument and a real
// broker: nothing before the instrument is identified and only under its own name (serial and
// bus address); a reading a second while it is connected, resting or not; every recorded row's
// reading equal to the data file's row of the same sample, in one set of units, for both
// families; and a run announced with its first row and ended with how it ended and its file.

#include "acquire/instrument_core.h"
#include "acquire/run_saving.h"
#include "lablink/link_settings.h"
#include "lablink/publisher.h"
#include "record/recorder.h"
#include "sim/demo_option.h"
#include "sim/simulated_bus.h"
#include "tests/gui/data_file_rows.h"
#include "tests/support/temp_workdir.h"
#include "tests/unit/lablink/broker_fixture.h"
#include "usb/device_link.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using acquire::RunSession;

class TestLabLinkFeed : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLoggingCategory::setFilterRules("*.debug=false"); }
    void publishedAsRecorded_data();
    void publishedAsRecorded();
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
    Broker broker;
    QVERIFY(broker.start());
    Subscriber sub(broker.port(), "feed/#");
    QVERIFY(sub.waitReady());
    TempWorkDir dir;
    QFile ini(dir.file("usb-hid.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[General]\nsave_path=" + dir.file("Data").toUtf8() + "\n");
    ini.close();
    qputenv("XDG_DATA_HOME", dir.file("xdg-data").toUtf8());
    sim::BusConfig config;
    QVERIFY(sim::parseDemoOption(demo, config));
    sim::SimulatedBus bus(config);
    hid::setBackend(&bus);
    const QString base = "feed/A1B2C3D4E5-2";
    {
        acquire::InstrumentCore core;
        core.recoverEarlierRuns();
        lablink::LinkSettings settings;
        settings.enabled = true;
        settings.host = "127.0.0.1";
        settings.port = broker.port();
        settings.prefix = "feed";
        core.startLabLink(settings);
        QVERIFY(core.start());
        QTRY_VERIFY_WITH_TIMEOUT(core.labLink().isConnected(), 10000);
        QCOMPARE(retainedMessage(broker.port(), base + "/status"), QByteArray("online"));
        QTRY_VERIFY_WITH_TIMEOUT(core.recorder().rowCount() >= 12, 30000);
        core.finish(RunSession::End::Signal);
    }
    hid::setBackend(nullptr);

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

QTEST_GUILESS_MAIN(TestLabLinkFeed)
#include "tst_lab_link_feed.moc"
