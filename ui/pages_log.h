#pragma once
// The page layer's log category ("ui"); QT_LOGGING_RULES selects or silences it.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcUi)
