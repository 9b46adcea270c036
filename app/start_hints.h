#pragma once
// The start page's hints: what the user should do to reach an instrument. It asks for the cable
// until an instrument is open, then says that it was found and the bus is being scanned, and
// after the scan what kept it from being identified; apart, why the instrument may not be opened.

#include <QObject>
#include <QString>

class DeviceLink;
class QLabel;
namespace ui {
class DeviceListView;
}

namespace app {

class StartHints : public QObject
{
    Q_OBJECT
public:
    // All outlive the hints.
    StartHints(QLabel &tips, QLabel &permission, const DeviceLink &link,
               const ui::DeviceListView &devices, QObject *parent = nullptr);

    // The tips from the link's and the scan's state now.
    void showTips();
    // The instrument is present but this user may not open it, for `reason`; clearPermission()
    // once it is open.
    void showPermissionProblem(const QString &reason);
    void clearPermission();
    // Both again in the language now in use.
    void retranslate();

private:
    void showPermissionText();

    QLabel &m_tips;
    QLabel &m_permission;
    const DeviceLink &m_link;
    const ui::DeviceListView &m_devices;
    QString m_permissionProblem; // null while the instrument could be opened
};

} // namespace app
