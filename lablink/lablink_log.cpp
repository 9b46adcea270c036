#include "lablink/lablink_log.h"

Q_LOGGING_CATEGORY(lcLabLink, "lablink")
