// The connection watcher against the simulated instrument.

#include "settings/settings_file.h"
#include "sim/simulated_bus.h"
#include "usb/connection_watcher.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

namespace {

constexpr quint16 Vid = 0x0483;
constexpr quint16 Pid = 0x5750;

// Counts what the watcher does with the bus: open attempts, reads and live handles.
class CountingBackend : public hid::Backend
{
public:
    explicit CountingBackend(hid::Backend &inner) : m_inner(inner) {}

    class CountingDevice : public hid::Device
    {
    public:
        CountingDevice(std::unique_ptr<hid::Device> inner, CountingBackend &owner)
            : m_inner(std::move(inner)), m_owner(owner)
        {
            m_owner.liveHandles.fetch_add(1);
        }
        ~CountingDevice() override { m_owner.liveHandles.fetch_sub(1); }
        int write(const unsigned char *data, size_t length) override
        {
            return m_inner->write(data, length);
        }
        int read(unsigned char *data, size_t length) override
        {
            m_owner.reads.fetch_add(1);
            return m_inner->read(data, length);
        }
        int readTimeout(unsigned char *data, size_t length, int milliseconds) override
        {
            m_owner.reads.fetch_add(1);
            return m_inner->readTimeout(data, length, milliseconds);
        }
        int setNonBlocking(bool nonBlocking) override
        {
            return m_inner->setNonBlocking(nonBlocking);
        }
        QString manufacturerString() override { return m_inner->manufacturerString(); }
        QString productString() override { return m_inner->productString(); }
        QString serialNumberString() override { return m_inner->serialNumberString(); }

    private:
        std::unique_ptr<hid::Device> m_inner;
        CountingBackend &m_owner;
    };

    QVector<hid::DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override
    {
        return m_inner.enumerate(vendorId, productId);
    }
    std::unique_ptr<hid::Device> open(uint16_t vendorId, uint16_t productId,
                                      const QString &serialNumber) override
    {
        opens.fetch_add(1);
        std::unique_ptr<hid::Device> device = m_inner.open(vendorId, productId, serialNumber);
        if (!device)
            return nullptr;
        return std::make_unique<CountingDevice>(std::move(device), *this);
    }

    std::atomic<int> opens{0};
    std::atomic<int> reads{0};
    std::atomic<int> liveHandles{0};

private:
    hid::Backend &m_inner;
};

// Receives the watcher's signals on the test thread, as the main dialog does.
class Recorder : public QObject
{
public:
    explicit Recorder(ConnectionWatcher *watcher)
    {
        connect(watcher, &ConnectionWatcher::deviceArrived, this,
                [this](const QString &product) { events << "connect " + product; });
        connect(watcher, &ConnectionWatcher::deviceLeft, this, [this] { events << "disconnect"; });
        connect(watcher, &ConnectionWatcher::reportArrived, this,
                [this](const QByteArray &report, unsigned int length) {
                    reports << report;
                    lengths << length;
                });
    }
    QStringList events;
    QVector<QByteArray> reports;
    QVector<unsigned int> lengths;
};

const QString Product = QStringLiteral("TALMIR HK07 V1.0.8");

// Request frames as the upgrade path hands them over: without the leading 0x55, which
// writeReport puts in front.
const QByteArray MeasurementRequest = QByteArray::fromHex("0501050b008ceeff");
const QByteArray SettingsRequest = QByteArray::fromHex("0501030b008ceeff");

void writeFrame(ConnectionWatcher &watcher, const QByteArray &frame)
{
    watcher.writeReport(reinterpret_cast<const unsigned char *>(frame.constData()), frame.size());
}

} // namespace

class TestUsbThread : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<sim::SimulatedBus> m_bus;
    std::unique_ptr<CountingBackend> m_counting;

    void installBus(bool plugged)
    {
        sim::BusConfig config;
        config.plugged = plugged;
        config.writtenKept = 4096;
        m_bus = std::make_unique<sim::SimulatedBus>(config);
        m_counting = std::make_unique<CountingBackend>(*m_bus);
        hid::setBackend(m_counting.get());
    }

    static void stopAndJoin(ConnectionWatcher &watcher)
    {
        watcher.requestStop();
        QVERIFY(watcher.wait(2000));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir::setCurrent(m_dir.path()));
        // Without a "usb-hid.ini" here, the settings file is the user's: keep it in the test's.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("xdg-config")));
    }

    void init() { installBus(true); }

    void cleanup()
    {
        hid::setBackend(nullptr);
        m_counting.reset();
        m_bus.reset();
    }

    void reportIdIsWrittenOnlyWhenMissing()
    {
        QFile::remove(SettingsFile::filePath());
        {
            ConnectionWatcher watcher;
        }
        QCOMPARE(SettingsFile().read("report_id"), QStringLiteral("85"));

        // An existing value stays, and changes nothing on the wire.
        SettingsFile().write("report_id", "7");
        ConnectionWatcher watcher;
        QCOMPARE(SettingsFile().read("report_id"), QStringLiteral("7"));
        QVERIFY(watcher.tryOpen());
        writeFrame(watcher, MeasurementRequest);
        const QVector<QByteArray> written = m_bus->writtenReports();
        QCOMPARE(written.size(), 1);
        QCOMPARE(quint8(written.at(0).at(0)), quint8(0x55));
    }

    void tryOpenAnnouncesTheDevice()
    {
        ConnectionWatcher watcher;
        watcher.setDeviceIds(Vid, Pid);
        QSignalSpy connected(&watcher, &ConnectionWatcher::deviceArrived);
        QVERIFY(watcher.tryOpen());
        QVERIFY(watcher.isDeviceOpen());
        QCOMPARE(connected.count(), 1);
        QCOMPARE(connected.at(0).at(0).toString(), Product);

        m_bus->unplug();
        QVERIFY(!watcher.tryOpen());
        QVERIFY(!watcher.isDeviceOpen());
        QCOMPARE(connected.count(), 1);
        QCOMPARE(m_counting->liveHandles.load(), 0);

        // Another vendor or product is not ours.
        m_bus->plug();
        watcher.setDeviceIds(Vid, 0x1234);
        QVERIFY(!watcher.tryOpen());
    }

    void noDeviceMeansNoSignalAndPacedAttempts()
    {
        m_bus->unplug();
        ConnectionWatcher watcher;
        watcher.setDeviceIds(Vid, Pid);
        Recorder recorder(&watcher);
        QElapsedTimer clock;
        clock.start();
        watcher.start();
        QTRY_VERIFY_WITH_TIMEOUT(m_counting->opens.load() >= 3, 3000);
        const qint64 elapsed = clock.elapsed();
        // Attempts come every 500 ms, not back to back.
        QVERIFY2(elapsed >= 950, qPrintable(QString::number(elapsed)));
        QVERIFY(m_counting->opens.load() <= 4);
        stopAndJoin(watcher);
        QCoreApplication::processEvents();
        QVERIFY(recorder.events.isEmpty());
        QVERIFY(recorder.reports.isEmpty());
    }

    void plugAndUnplugAreAnnouncedOnce()
    {
        m_bus->unplug();
        ConnectionWatcher watcher;
        watcher.setDeviceIds(Vid, Pid);
        Recorder recorder(&watcher);
        watcher.start();
        QTRY_VERIFY(m_counting->opens.load() >= 1);

        QElapsedTimer clock;
        clock.start();
        m_bus->plug();
        QTRY_COMPARE_WITH_TIMEOUT(recorder.events.size(), 1, 1000);
        QVERIFY2(clock.elapsed() <= 650, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(recorder.events.at(0), "connect " + Product);
        QVERIFY(watcher.isDeviceOpen());

        clock.restart();
        m_bus->unplug();
        QTRY_COMPARE_WITH_TIMEOUT(recorder.events.size(), 2, 1000);
        QVERIFY2(clock.elapsed() <= 650, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(recorder.events.at(1), QStringLiteral("disconnect"));
        QVERIFY(!watcher.isDeviceOpen());
        // The lost handle is released, not kept.
        QCOMPARE(m_counting->liveHandles.load(), 0);

        stopAndJoin(watcher);
        QCoreApplication::processEvents();
        QCOMPARE(recorder.events.size(), 2);
    }

    void replugCyclesAlternate()
    {
        ConnectionWatcher watcher;
        watcher.setDeviceIds(Vid, Pid);
        Recorder recorder(&watcher);
        QVERIFY(watcher.tryOpen()); // announced at once, on this thread
        QCOMPARE(recorder.events.size(), 1);
        watcher.start();
        const int cycles = 20;
        for (int i = 0; i < cycles; ++i) {
            m_bus->unplug();
            QTRY_COMPARE_WITH_TIMEOUT(recorder.events.size(), 2 * i + 2, 1000);
            m_bus->plug();
            QTRY_COMPARE_WITH_TIMEOUT(recorder.events.size(), 2 * i + 3, 1000);
        }
        stopAndJoin(watcher);
        QCoreApplication::processEvents();
        QCOMPARE(recorder.events.size(), 2 * cycles + 1);
        for (int i = 0; i < recorder.events.size(); ++i) {
            const QString expected = i % 2 == 0 ? "connect " + Product : "disconnect";
            QCOMPARE(recorder.events.at(i), expected);
        }
        // Only the watcher's last handle was alive, and the end of the run released it.
        QCOMPARE(m_counting->liveHandles.load(), 0);
    }

    void writeReportLayout_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("wire");

        const QByteArray command = QByteArray::fromHex("0501250000000000eeff");
        QTest::newRow("10-byte command")
            << command << QByteArray(1, char(0x55)) + command + QByteArray(53, '\0');

        QByteArray full(64, '\0');
        for (int i = 0; i < full.size(); ++i)
            full[i] = char(0xC0 + i);
        QTest::newRow("64-byte packet loses its last byte")
            << full << QByteArray(1, char(0x55)) + full.left(63);

        QTest::newRow("empty frame")
            << QByteArray() << QByteArray(1, char(0x55)) + QByteArray(63, '\0');
    }
    void writeReportLayout()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, wire);
        ConnectionWatcher watcher;
        QSignalSpy sendErrors(&watcher, &ConnectionWatcher::writeFailed);
        QVERIFY(watcher.tryOpen());
        writeFrame(watcher, frame);
        const QVector<QByteArray> written = m_bus->writtenReports();
        QCOMPARE(written.size(), 1);
        QCOMPARE(written.at(0).toHex(), wire.toHex());
        QCOMPARE(sendErrors.count(), 0);
    }

    void writeWithoutDeviceIsDroppedAndFailedWriteIsReported()
    {
        ConnectionWatcher watcher;
        QSignalSpy sendErrors(&watcher, &ConnectionWatcher::writeFailed);
        writeFrame(watcher, MeasurementRequest);
        QVERIFY(m_bus->writtenReports().isEmpty());
        QCOMPARE(sendErrors.count(), 0);

        // Opened, then the device vanishes before the watcher notices: the write fails.
        QVERIFY(watcher.tryOpen());
        m_bus->unplug();
        writeFrame(watcher, MeasurementRequest);
        QCOMPARE(sendErrors.count(), 1);
    }

    void eachReportIsItsOwnCopy()
    {
        ConnectionWatcher watcher;
        Recorder recorder(&watcher);
        QVERIFY(watcher.tryOpen());
        watcher.start();
        writeFrame(watcher, MeasurementRequest);
        QTRY_COMPARE(recorder.reports.size(), 1);
        writeFrame(watcher, SettingsRequest);
        QTRY_COMPARE(recorder.reports.size(), 2);
        stopAndJoin(watcher);

        const QByteArray &first = recorder.reports.at(0);
        const QByteArray &second = recorder.reports.at(1);
        QCOMPARE(first.size(), 64);
        QCOMPARE(second.size(), 64);
        QCOMPARE(recorder.lengths, (QVector<unsigned int>{64, 64}));
        // Reply code at byte 3: the first report still holds the measurement after the next
        // read has reused the watcher's buffer.
        QCOMPARE(first.left(4).toHex(), QByteArray("aa050105"));
        QCOMPARE(second.left(4).toHex(), QByteArray("aa050103"));
        QVERIFY(first.constData() != second.constData());
    }

    void idleOpenDeviceDoesNotSpin()
    {
        ConnectionWatcher watcher;
        QVERIFY(watcher.tryOpen());
        m_counting->reads.store(0);
        QElapsedTimer clock;
        clock.start();
        watcher.start();
        QTRY_VERIFY(m_counting->reads.load() >= 10);
        const qint64 elapsed = clock.elapsed();
        stopAndJoin(watcher);
        // Ten reads on a quiet device take many milliseconds each; spinning reads take none.
        QVERIFY2(elapsed >= 200, qPrintable(QString::number(elapsed)));
    }

    void writesDoNotStallBehindReads()
    {
        ConnectionWatcher watcher;
        Recorder recorder(&watcher);
        QVERIFY(watcher.tryOpen());
        watcher.start();
        // Ping-pong like the firmware upgrade: each reply triggers the next request.
        const int rounds = 20;
        connect(&watcher, &ConnectionWatcher::reportArrived, &recorder, [&](const QByteArray &) {
            if (recorder.reports.size() < rounds)
                writeFrame(watcher, MeasurementRequest);
        });
        QElapsedTimer clock;
        clock.start();
        writeFrame(watcher, MeasurementRequest);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.reports.size(), rounds, 5000);
        const qint64 elapsed = clock.elapsed();
        stopAndJoin(watcher);
        // Each round behind a full idle read wait would take about 50 ms.
        QVERIFY2(elapsed < 600, qPrintable(QString::number(elapsed)));
    }

    // The handler answers on the watcher thread: the ping-pong runs while the test thread
    // neither runs its event loop nor writes. What the handler declines still reaches reportArrived.
    void handlerAnswersWithoutTheReceiversThread()
    {
        ConnectionWatcher watcher;
        Recorder recorder(&watcher);
        QVERIFY(watcher.tryOpen());
        const int rounds = 20;
        std::atomic<int> answered{0};
        watcher.setReportHandler([&](const unsigned char *report, int length) {
            if (length != ConnectionWatcher::ReportSize || report[3] != 0x05)
                return false; // not a measurement reply
            if (answered.fetch_add(1) + 1 < rounds)
                writeFrame(watcher, MeasurementRequest);
            else
                writeFrame(watcher, SettingsRequest); // its reply is declined
            return true;
        });
        watcher.start();
        writeFrame(watcher, MeasurementRequest);
        QElapsedTimer clock;
        clock.start();
        while (answered.load() < rounds && clock.elapsed() < 5000)
            QThread::msleep(5); // no events processed here
        QCOMPARE(answered.load(), rounds);
        QTRY_COMPARE(recorder.reports.size(), 1);
        QCOMPARE(recorder.reports.first().left(4).toHex(), QByteArray("aa050103"));
        watcher.setReportHandler({});
        stopAndJoin(watcher);
    }

    void stopEndsTheThreadQuickly_data()
    {
        QTest::addColumn<bool>("plugged");
        QTest::newRow("device absent") << false;
        QTest::newRow("device open") << true;
    }
    void stopEndsTheThreadQuickly()
    {
        QFETCH(bool, plugged);
        if (!plugged)
            m_bus->unplug();
        ConnectionWatcher watcher;
        Recorder recorder(&watcher);
        watcher.start();
        if (plugged)
            QTRY_COMPARE_WITH_TIMEOUT(recorder.events.size(), 1, 1000);
        else
            QTRY_VERIFY(m_counting->opens.load() >= 1);
        QCOMPARE(watcher.isDeviceOpen(), plugged);

        QElapsedTimer clock;
        clock.start();
        watcher.requestStop();
        QVERIFY(watcher.wait(1000));
        QVERIFY2(clock.elapsed() <= 150, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!watcher.isDeviceOpen());
        QCOMPARE(m_counting->liveHandles.load(), 0);
    }
};

QTEST_MAIN(TestUsbThread)
#include "tst_connection_watcher.moc"
