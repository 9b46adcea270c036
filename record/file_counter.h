#pragma once
// Hourly file counters in the per-user native settings store (organisation "YourCompany",
// application "YourApp"; on Linux an ini file in the user's config folder). Tests redirect the
// user scope with QSettings::setPath so they never touch the real store.

#include <QString>

namespace file_counter {

// Reads "FileCount_<hourStamp>" (default 0), stores it plus one and writes the store to disk at
// once. Returns the new value; a store that cannot be written is logged, the value still counts.
int advance(const QString &hourStamp);

// The current value, 0 when the hour has none yet.
int value(const QString &hourStamp);

} // namespace file_counter
