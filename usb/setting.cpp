#include "setting.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

// QSettings' INI keys are case-sensitive on Linux; the file's keys are not. Find the spelling
// that is actually stored so that a read or a write of "Language" reaches "language".
QString storedSpelling(const QSettings &ini, const QString &key)
{
    const QStringList keys = ini.allKeys();
    for (const QString &existing : keys) {
        if (existing.compare(key, Qt::CaseInsensitive) == 0)
            return existing;
    }
    return key;
}

} // namespace

QString Setting::filePath()
{
    const QString portable = QDir::currentPath() + QStringLiteral("/usb-hid.ini");
    if (QFileInfo::exists(portable))
        return portable;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/usb-tester/usb-hid.ini");
}

QString Setting::read(const QString &key) const
{
    QSettings ini(filePath(), QSettings::IniFormat);
    return ini.value(storedSpelling(ini, key)).toString();
}

void Setting::write(const QString &key, const QString &value)
{
    const QString path = filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings ini(path, QSettings::IniFormat);
    ini.setValue(storedSpelling(ini, key), value);
    ini.sync();
}
