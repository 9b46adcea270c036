#pragma once
// The acquisition folder's logging category: QT_LOGGING_RULES="acquire.debug=true" shows it.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcAcquire)
