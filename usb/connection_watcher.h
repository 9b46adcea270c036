#pragma once
// The connection watcher: a thread with its own handle to the instrument. It notices the device
// arriving and leaving, hands every input report to its report handler (on this thread) or else to
// the GUI thread, and carries the firmware upgrade's outgoing reports.

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace hid {
class Device;
}

class ConnectionWatcher : public QThread
{
    Q_OBJECT
public:
    explicit ConnectionWatcher(QObject *parent = nullptr);
    ~ConnectionWatcher() override;

    // Copied from the main dialog before the first open.
    void setDeviceIds(quint16 vendorId, quint16 productId);

    // One synchronous open attempt on the calling thread; emits deviceArrived on success.
    bool tryOpen();

    // Sends one 64-byte report: 0x55, then the first 63 bytes of `data`, zero-padded. Dropped
    // silently while no device is open (its loss is reported by deviceLeft); a short write
    // raises writeFailed and returns false.
    bool writeReport(const unsigned char *data, int length);

    // Sees every input report first, on the watcher thread, and may answer it at once with
    // writeReport. Returns true when the report was its own: no reportArrived is emitted for it.
    // Replacing or clearing the handler waits for a call in progress.
    using ReportHandler = std::function<bool(const unsigned char *report, int length)>;
    void setReportHandler(ReportHandler handler);

    // Asks the loop to end; it does so within one wait slice (at most about 100 ms).
    void requestStop();

    bool isDeviceOpen() const { return m_open.load(); }

    // How long one read may wait for a report: `busyMs` within a second of a write (an upgrade
    // is writing), `idleMs` otherwise. Defaults 2 and 50; benchmarks compare other values.
    void setReadSlices(int busyMs, int idleMs);

    static constexpr int ReportSize = 64;
    static constexpr quint8 ReportId = 0x55;

signals:
    void reportArrived(const QByteArray &report, unsigned int length);
    void deviceArrived(QString dev_str);
    void deviceLeft();
    void writeFailed();

protected:
    void run() override;

private:
    bool openDevice(QString *product, QString *serial);
    void serviceOpenDevice();
    void sleepUntilNextAttempt();
    bool handOver(const QByteArray &report);
    void abandonDevice();
    bool busy() const;
    int readWaitSliceMs() const;

    // Guards m_device and every call made on it: hidapi does not promise that a read and a
    // write may run on one handle from two threads at once. Standard primitives rather than
    // QMutex, whose futex path ThreadSanitizer cannot follow; the last lock of run() and the
    // destructor's lock after wait() also make the join visible to it.
    std::mutex m_ioMutex;
    std::condition_variable m_writerDone;
    std::atomic<int> m_writersWaiting{0};
    std::unique_ptr<hid::Device> m_device;

    std::mutex m_handlerMutex; // held while the handler runs
    ReportHandler m_handler;

    // Lets requestStop wake the closed-state sleep at once.
    std::mutex m_sleepMutex;
    std::condition_variable m_wake;

    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_open{false};
    std::atomic<quint16> m_vendorId{0x0483};
    std::atomic<quint16> m_productId{0x5750};

    QElapsedTimer m_clock;
    qint64 m_lastAttemptMs = 0; // watcher thread (and tryOpen before start) only
    std::atomic<qint64> m_lastWriteMs{-1000000};
    std::atomic<int> m_busySliceMs{2};
    std::atomic<int> m_idleSliceMs{50};
    unsigned char m_input[ReportSize] = {};
};
