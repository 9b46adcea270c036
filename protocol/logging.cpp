#include "protocol/logging.h"

Q_LOGGING_CATEGORY(lcProtocol, "protocol")
