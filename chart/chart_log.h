#pragma once
// The chart folder's logging category: QT_LOGGING_RULES="chart.debug=false" silences it.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcChart)
