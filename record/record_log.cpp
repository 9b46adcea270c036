#include "record/record_log.h"

Q_LOGGING_CATEGORY(lcRecord, "record")
