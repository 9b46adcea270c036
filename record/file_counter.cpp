#include "record/file_counter.h"

#include "record/record_log.h"

#include <QSettings>

#include <algorithm>
#include <memory>

namespace file_counter {

namespace {
QString key(const QString &hourStamp)
{
    return "FileCount_" + hourStamp;
}

// The store, with an older version's counters copied in when it has none of its own yet.
std::unique_ptr<QSettings> openStore()
{
    auto store = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             "usb-tester", "file-counter");
    if (store->allKeys().isEmpty()) {
        const QSettings old(QSettings::NativeFormat, QSettings::UserScope, "YourCompany",
                            "YourApp");
        for (const QString &name : old.allKeys()) {
            if (name.startsWith("FileCount_"))
                store->setValue(name, old.value(name));
        }
    }
    return store;
}
} // namespace

int next(const QString &hourStamp)
{
    return value(hourStamp) + 1;
}

void advanceTo(const QString &hourStamp, int taken)
{
    const std::unique_ptr<QSettings> store = openStore();
    const int stored = store->value(key(hourStamp), 0).toInt();
    store->setValue(key(hourStamp), std::max(stored, taken));
    store->sync();
    if (store->status() != QSettings::NoError)
        qCWarning(lcRecord) << "file counter store not written:" << store->fileName()
                            << store->status();
}

int value(const QString &hourStamp)
{
    return openStore()->value(key(hourStamp), 0).toInt();
}

} // namespace file_counter
