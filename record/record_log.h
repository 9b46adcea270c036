#pragma once
// The recording layer's log category ("record"); QT_LOGGING_RULES selects or silences it.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcRecord)
