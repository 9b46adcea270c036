#pragma once
// The protocol layer's log category ("protocol"); QT_LOGGING_RULES selects or silences it.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcProtocol)
