#pragma once
// The lab link's logging category ("lablink").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcLabLink)
