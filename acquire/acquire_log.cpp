#include "acquire/acquire_log.h"

Q_LOGGING_CATEGORY(lcAcquire, "acquire")
