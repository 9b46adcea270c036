#include "file_counter.h"

#include "record_log.h"

#include <QSettings>

namespace file_counter {

namespace {
QString key(const QString &hourStamp)
{
    return "FileCount_" + hourStamp;
}
} // namespace

int advance(const QString &hourStamp)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "YourCompany", "YourApp");
    const int next = store.value(key(hourStamp), 0).toInt() + 1;
    store.setValue(key(hourStamp), next);
    store.sync();
    if (store.status() != QSettings::NoError)
        qCWarning(lcRecord) << "file counter store not written:" << store.fileName()
                            << store.status();
    return next;
}

int value(const QString &hourStamp)
{
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, "YourCompany", "YourApp");
    return store.value(key(hourStamp), 0).toInt();
}

} // namespace file_counter
