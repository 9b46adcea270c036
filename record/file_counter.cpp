#include "record/file_counter.h"

#include "record/record_log.h"

#include <QSettings>

#include <algorithm>

namespace file_counter {

namespace {
QString key(const QString &hourStamp)
{
    return "FileCount_" + hourStamp;
}
} // namespace

int next(const QString &hourStamp)
{
    return value(hourStamp) + 1;
}

void advanceTo(const QString &hourStamp, int taken)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "YourCompany", "YourApp");
    const int stored = store.value(key(hourStamp), 0).toInt();
    store.setValue(key(hourStamp), std::max(stored, taken));
    store.sync();
    if (store.status() != QSettings::NoError)
        qCWarning(lcRecord) << "file counter store not written:" << store.fileName()
                            << store.status();
}

int value(const QString &hourStamp)
{
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, "YourCompany", "YourApp");
    return store.value(key(hourStamp), 0).toInt();
}

} // namespace file_counter
