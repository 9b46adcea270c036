#include "ui/pages_log.h"

Q_LOGGING_CATEGORY(lcUi, "ui")
