#pragma once
// The seam's real implementation: plain hidapi calls (hidraw backend on Linux).

#include "usb/hid_seam.h"

#include <mutex>

namespace hid {

class HidapiBackend : public Backend
{
public:
    HidapiBackend();
    ~HidapiBackend() override;

    QVector<DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<Device> open(uint16_t vendorId, uint16_t productId,
                                 const QString &serialNumber) override;
    QString lastOpenError() const override;
    bool lastOpenDeniedPermission() const override;

private:
    void setLastOpenError(const QString &text, bool permissionDenied = false);

    // open() runs on the GUI thread and on the watcher thread. A standard mutex, which
    // ThreadSanitizer follows (QMutex's futex path it cannot).
    mutable std::mutex m_errorMutex;
    QString m_lastOpenError;
    bool m_permissionDenied = false;
};

} // namespace hid
