#include "usb/usb_log.h"

Q_LOGGING_CATEGORY(lcUsb, "usb")
