#pragma once
// The "usb" logging category shared by the watcher, the bus scan and the device list item.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcUsb)
