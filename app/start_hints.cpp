// The start page's tips and permission hint.

#include "app/start_hints.h"

#include "usb/device_link.h"
#include "ui/device_list_view.h"

#include <QLabel>

namespace app {

StartHints::StartHints(QLabel &tips, QLabel &permission, const DeviceLink &link,
                       const ui::DeviceListView &devices, QObject *parent)
    : QObject(parent), m_tips(tips), m_permission(permission), m_link(link), m_devices(devices)
{
}

void StartHints::showTips()
{
    QString tips = tr("请使用数据线将设备的HID口与电脑相连接！");
    if (m_link.deviceOpen() && m_link.scanBusy())
        tips = tr("已找到设备，正在扫描总线上的仪表……");
    else if (m_link.deviceOpen() && m_devices.entries().isEmpty())
        tips = tr("已找到设备，但总线上没有仪表应答。请检查仪表后点击搜索按钮重试。");
    else if (m_link.deviceOpen() && m_link.familyCode() == proto::NoFamily)
        tips = tr("已找到设备，但无法识别其型号。");
    m_tips.setText(tips);
}

void StartHints::showPermissionProblem(const QString &reason)
{
    m_permissionProblem = reason;
    showPermissionText();
}

void StartHints::clearPermission()
{
    m_permissionProblem = QString(); // or a language switch would show it again
    m_permission.clear();
}

void StartHints::retranslate()
{
    showTips();
    showPermissionText();
}

void StartHints::showPermissionText()
{
    if (m_permissionProblem.isNull())
        return;
    m_permission.setText(
        tr("已找到设备，但当前用户无权打开它（%1）。"
           "请用 sudo cmake --install build 安装 udev 规则，然后重新插拔设备。\n"
           "The instrument was found but this user may not open it (%1). "
           "Install the udev rule with 'sudo cmake --install build', then unplug and replug it.")
            .arg(m_permissionProblem));
}

} // namespace app
