#pragma once
// Hourly file counters in the per-user native settings store under the program's name (on Linux
// "usb-tester/file-counter.conf" in the user's config folder); the counters an older version kept
// under "YourCompany/YourApp" are carried over once, so numbering continues. The counter is where
// a save starts looking for a free file number; the file name itself is taken by an exclusive
// rename, so two instances saving at once never share a number even though the store is not
// locked between them. Tests redirect the user scope with QSettings::setPath.

#include <QString>

namespace file_counter {

// The number after "FileCount_<hourStamp>" (default 0): where the next save starts looking.
int next(const QString &hourStamp);

// Stores taken as the hour's counter unless the store already holds more, and writes the store
// to disk at once. A store that cannot be written is logged; the file stays saved.
void advanceTo(const QString &hourStamp, int taken);

// The current value, 0 when the hour has none yet.
int value(const QString &hourStamp);

} // namespace file_counter
