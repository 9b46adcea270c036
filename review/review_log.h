#pragma once
// The recorded-run viewer's log category ("review"); QT_LOGGING_RULES selects or silences it.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcReview)
