#include "usb/hidapi_backend.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <hidapi/hidapi.h>

#include <mutex>
#include <unistd.h>
#include <vector>

Q_LOGGING_CATEGORY(lcHidapi, "usb.hidapi")

namespace hid {

namespace {

// hidapi 0.13 keeps one process-wide error string that init, exit, enumerate and every open
// (and, through them, the device-string getters) free and replace; the GUI thread and the
// connection watcher calling them at once free it twice. Reads and writes only touch their own
// handle's state and stay outside, so a watcher waiting in a read blocks nobody.
std::mutex &libraryLock()
{
    static std::mutex lock;
    return lock;
}
using LibraryLocker = std::lock_guard<std::mutex>;

QString fromWide(const wchar_t *text)
{
    return text ? QString::fromWCharArray(text) : QString();
}

// hid_get_*_string fill at most 64 wide characters, as the program always asked for.
template <typename Getter> QString deviceString(hid_device *handle, Getter getter)
{
    LibraryLocker lock(libraryLock());
    wchar_t buffer[65] = {};
    if (getter(handle, buffer, 64) < 0)
        return QString();
    buffer[64] = 0;
    return QString::fromWCharArray(buffer);
}

class HidapiDevice : public Device
{
public:
    explicit HidapiDevice(hid_device *handle) : m_handle(handle) {}
    ~HidapiDevice() override
    {
        LibraryLocker lock(libraryLock());
        hid_close(m_handle);
    }

    int write(const unsigned char *data, size_t length) override
    {
        return hid_write(m_handle, data, length);
    }
    int read(unsigned char *data, size_t length) override
    {
        return hid_read(m_handle, data, length);
    }
    int readTimeout(unsigned char *data, size_t length, int milliseconds) override
    {
        return hid_read_timeout(m_handle, data, length, milliseconds);
    }
    int setNonBlocking(bool nonBlocking) override
    {
        return hid_set_nonblocking(m_handle, nonBlocking ? 1 : 0);
    }
    QString manufacturerString() override
    {
        return deviceString(m_handle, hid_get_manufacturer_string);
    }
    QString productString() override { return deviceString(m_handle, hid_get_product_string); }
    QString serialNumberString() override
    {
        return deviceString(m_handle, hid_get_serial_number_string);
    }

private:
    hid_device *m_handle;
};

// The device node of an enumerated entry exists but cannot be opened for writing by this user:
// that is the missing udev rule, which is worth saying plainly.
bool nodeNotAccessible(const QString &path)
{
    return QFileInfo::exists(path) &&
           ::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0;
}

} // namespace

HidapiBackend::HidapiBackend()
{
    LibraryLocker lock(libraryLock());
    hid_init();
}

HidapiBackend::~HidapiBackend()
{
    LibraryLocker lock(libraryLock());
    hid_exit();
}

QString HidapiBackend::lastOpenError() const
{
    std::lock_guard<std::mutex> lock(m_errorMutex);
    return m_lastOpenError;
}

bool HidapiBackend::lastOpenDeniedPermission() const
{
    std::lock_guard<std::mutex> lock(m_errorMutex);
    return m_permissionDenied;
}

void HidapiBackend::setLastOpenError(const QString &text, bool permissionDenied)
{
    std::lock_guard<std::mutex> lock(m_errorMutex);
    m_lastOpenError = text;
    m_permissionDenied = permissionDenied;
}

QVector<DeviceInfo> HidapiBackend::enumerate(uint16_t vendorId, uint16_t productId)
{
    QVector<DeviceInfo> result;
    LibraryLocker lock(libraryLock());
    hid_device_info *list = hid_enumerate(vendorId, productId);
    for (hid_device_info *entry = list; entry; entry = entry->next) {
        DeviceInfo info;
        info.path = QString::fromLocal8Bit(entry->path);
        info.vendorId = entry->vendor_id;
        info.productId = entry->product_id;
        info.serialNumber = fromWide(entry->serial_number);
        info.manufacturer = fromWide(entry->manufacturer_string);
        info.product = fromWide(entry->product_string);
        result.append(info);
    }
    hid_free_enumeration(list); // the strings above are copies
    return result;
}

std::unique_ptr<Device> HidapiBackend::open(uint16_t vendorId, uint16_t productId,
                                            const QString &serialNumber)
{
    std::vector<wchar_t> serial;
    if (!serialNumber.isEmpty()) {
        serial.resize(serialNumber.size() + 1, 0);
        serialNumber.toWCharArray(serial.data());
    }
    hid_device *handle = nullptr;
    {
        LibraryLocker lock(libraryLock());
        handle = hid_open(vendorId, productId, serial.empty() ? nullptr : serial.data());
    }
    if (handle) {
        setLastOpenError(QString());
        return std::make_unique<HidapiDevice>(handle);
    }
    for (const DeviceInfo &info : enumerate(vendorId, productId)) {
        if (nodeNotAccessible(info.path)) {
            const QString error = QStringLiteral("permission denied on %1").arg(info.path);
            qCWarning(lcHidapi).noquote()
                << "instrument found but not accessible:" << error
                << "- install the udev rule (cmake --install) and replug the instrument";
            setLastOpenError(error, true);
            return nullptr;
        }
    }
    setLastOpenError(QStringLiteral("open failed"));
    return nullptr;
}

} // namespace hid
