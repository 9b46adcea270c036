#include "usb/connection_watcher.h"

#include "usb/hid_seam.h"
#include "settings/settings_file.h"
#include "usb/usb_log.h"

#include <QMetaType>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr qint64 OpenRetryMs = 500;
// Wait slices for one read (see setReadSlices): short while the upgrade is writing so that its
// packets do not queue behind a long read, longer when idle so that a connected, quiet program
// costs next to nothing.
constexpr qint64 BusyAfterWriteMs = 1000;

} // namespace

ConnectionWatcher::ConnectionWatcher(QObject *parent)
    : QThread(parent)
{
    setObjectName("UsbWatcher"); // the thread's name in crash reports and `top -H`
    qRegisterMetaType<QByteArray>("QByteArray");
    qRegisterMetaType<QString>("QString");

    qCDebug(lcUsb) << "线程thread_pause:" << m_stop.load();

    // The stored value is informational only: every report goes out with ID 0x55.
    SettingsFile setting;
    if (setting.read(QStringLiteral("report_id")).isEmpty())
        setting.write(QStringLiteral("report_id"), QString::number(ReportId));

    // Brings up the HID library on the constructing thread before the watcher uses it.
    hid::backend();

    m_clock.start();
    m_lastAttemptMs = m_clock.elapsed();
}

ConnectionWatcher::~ConnectionWatcher()
{
    requestStop();
    wait();
    std::lock_guard<std::mutex> joined(m_ioMutex); // pairs with run()'s last lock
}

void ConnectionWatcher::setDeviceIds(quint16 vendorId, quint16 productId)
{
    m_vendorId.store(vendorId);
    m_productId.store(productId);
}

bool ConnectionWatcher::openDevice(QString *product, QString *serial)
{
    std::unique_lock<std::mutex> lock(m_ioMutex);
    m_open.store(false);
    m_device.reset();

    std::unique_ptr<hid::Device> device =
        hid::backend().open(m_vendorId.load(), m_productId.load());
    if (!device)
        return false;
    qCDebug(lcUsb) << "USB设备打开成功";

    *product = device->productString();
    qCDebug(lcUsb) << "product:" << *product;
    if (serial) {
        *serial = device->serialNumberString();
        qCDebug(lcUsb) << "serial:" << *serial;
    }
    m_device = std::move(device);
    m_open.store(true);
    return true;
}

bool ConnectionWatcher::tryOpen()
{
    QString product;
    QString serial;
    if (!openDevice(&product, &serial))
        return false;
    emit deviceArrived(product);
    return true;
}

bool ConnectionWatcher::writeReport(const unsigned char *data, int length)
{
    if (!m_open.load())
        return true;

    unsigned char report[ReportSize] = {};
    report[0] = ReportId;
    if (data && length > 0)
        std::memcpy(report + 1, data, size_t(std::min(length, ReportSize - 1)));
    qCDebug(lcUsb) << "sending" << QByteArray(reinterpret_cast<const char *>(report), 8).toHex(' ')
                   << "…";

    // Announce the write before queueing on the mutex: the watcher then steps aside between
    // reads and shortens its next waits.
    m_lastWriteMs.store(m_clock.elapsed());
    m_writersWaiting.fetch_add(1);
    int result = 0;
    bool written = false;
    {
        std::unique_lock<std::mutex> lock(m_ioMutex);
        m_writersWaiting.fetch_sub(1);
        if (m_device) {
            result = m_device->write(report, ReportSize);
            written = true;
        }
    }
    m_writerDone.notify_all();

    if (!written)
        return true;
    qCDebug(lcUsb) << "write res:" << result;
    if (result < ReportSize) {
        qCDebug(lcUsb) << "short write, res:" << result;
        emit writeFailed();
        return false;
    }
    return true;
}

void ConnectionWatcher::setReportHandler(ReportHandler handler)
{
    std::lock_guard<std::mutex> lock(m_handlerMutex);
    m_handler = std::move(handler);
}

void ConnectionWatcher::requestStop()
{
    m_stop.store(true);
    {
        std::unique_lock<std::mutex> lock(m_sleepMutex);
        m_wake.notify_all();
    }
    m_writerDone.notify_all();
}

void ConnectionWatcher::setReadSlices(int busyMs, int idleMs)
{
    m_busySliceMs.store(std::max(1, busyMs));
    m_idleSliceMs.store(std::max(1, idleMs));
}

bool ConnectionWatcher::busy() const
{
    return m_clock.elapsed() - m_lastWriteMs.load() < BusyAfterWriteMs;
}

int ConnectionWatcher::readWaitSliceMs() const
{
    return busy() ? m_busySliceMs.load() : m_idleSliceMs.load();
}

void ConnectionWatcher::run()
{
    while (!m_stop.load()) {
        if (m_open.load()) {
            serviceOpenDevice();
            continue;
        }
        if (m_clock.elapsed() - m_lastAttemptMs >= OpenRetryMs) {
            m_lastAttemptMs = m_clock.elapsed();
            QString product;
            if (openDevice(&product, nullptr)) {
                emit deviceArrived(product);
                continue;
            }
        }
        sleepUntilNextAttempt();
    }
    qCDebug(lcUsb) << "quit";
    abandonDevice();
}

void ConnectionWatcher::serviceOpenDevice()
{
    QByteArray report;
    int result = 0;
    bool lost = false;
    {
        std::unique_lock<std::mutex> lock(m_ioMutex);
        while (m_writersWaiting.load() > 0 && !m_stop.load())
            m_writerDone.wait_for(lock, std::chrono::milliseconds(5));
        if (!m_device) {
            m_open.store(false);
            return;
        }
        result = m_device->readTimeout(m_input, ReportSize, readWaitSliceMs());
        if (result >= ReportSize)
            report = QByteArray(reinterpret_cast<const char *>(m_input), ReportSize);
        if (result < 0) {
            // The device is gone; its handle is useless from now on.
            m_device.reset();
            m_open.store(false);
            lost = true;
        }
    }

    // A report is handed over as its own copy: the buffer is reused by the next read.
    if (!report.isEmpty() && !handOver(report)) {
        emit reportArrived(report, ReportSize);
        // The receiver's copy is now the one that ends the bytes' life, on the receiver's thread.
        report = QByteArray();
    }

    const qint64 now = m_clock.elapsed();
    if (lost || now - m_lastAttemptMs >= OpenRetryMs) {
        m_lastAttemptMs = now;
        qCDebug(lcUsb, "res:%d", result);
    }
    if (lost)
        emit deviceLeft();
}

// The handler answers on this thread, between two reads: an acknowledgement's next packet goes
// out without waiting for any other thread to be scheduled.
bool ConnectionWatcher::handOver(const QByteArray &report)
{
    std::lock_guard<std::mutex> lock(m_handlerMutex);
    return m_handler &&
           m_handler(reinterpret_cast<const unsigned char *>(report.constData()), report.size());
}

void ConnectionWatcher::sleepUntilNextAttempt()
{
    std::unique_lock<std::mutex> lock(m_sleepMutex);
    if (m_stop.load())
        return;
    const qint64 remaining = OpenRetryMs - (m_clock.elapsed() - m_lastAttemptMs);
    if (remaining > 0)
        m_wake.wait_for(lock, std::chrono::milliseconds(remaining));
}

void ConnectionWatcher::abandonDevice()
{
    std::unique_lock<std::mutex> lock(m_ioMutex);
    m_open.store(false);
    m_device.reset();
}
