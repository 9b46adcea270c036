#include "sim/sim_log.h"

Q_LOGGING_CATEGORY(lcSim, "sim")
