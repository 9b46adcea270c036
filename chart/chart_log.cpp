#include "chart/chart_log.h"

Q_LOGGING_CATEGORY(lcChart, "chart")
