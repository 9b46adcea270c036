#include "settings/settings_file.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>

#include <mutex>

namespace {

// The file's contents as last read or written by this program, and the file's state then. Reads
// are answered from here; the file is read again only when it changed behind the program's back
// (another instance, an editor) or when the working directory picks another file.
struct Contents
{
    QString path;
    QDateTime modified;
    qint64 size = -1;
    // QSettings' INI keys are case-sensitive on Linux; the file's keys are not. The key as
    // stored is kept, so that a write of "Language" replaces "language" instead of adding a key.
    struct Entry
    {
        QString storedKey;
        QString value;
    };
    QHash<QString, Entry> entries; // by lower-case key
};

std::mutex g_mutex; // the settings are read from the watcher thread too
Contents g_contents;

void noteFileState(Contents &c)
{
    const QFileInfo info(c.path);
    c.modified = info.exists() ? info.lastModified() : QDateTime();
    c.size = info.exists() ? info.size() : -1;
}

bool unchangedOnDisk(const Contents &c, const QString &path)
{
    if (path != c.path)
        return false;
    const QFileInfo info(path);
    return info.exists() ? info.lastModified() == c.modified && info.size() == c.size
                         : c.size == -1;
}

Contents &current()
{
    const QString path = SettingsFile::filePath();
    if (unchangedOnDisk(g_contents, path))
        return g_contents;
    Contents c;
    c.path = path;
    const QSettings ini(path, QSettings::IniFormat);
    const QStringList keys = ini.allKeys();
    for (const QString &key : keys)
        c.entries.insert(key.toLower(), {key, ini.value(key).toString()});
    noteFileState(c);
    g_contents = std::move(c);
    return g_contents;
}

} // namespace

QString SettingsFile::filePath()
{
    const QString portable = QDir::currentPath() + QStringLiteral("/usb-hid.ini");
    if (QFileInfo::exists(portable))
        return portable;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/usb-tester/usb-hid.ini");
}

QString SettingsFile::read(const QString &key) const
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    return current().entries.value(key.toLower()).value;
}

void SettingsFile::write(const QString &key, const QString &value)
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    Contents &c = current();
    const auto found = c.entries.constFind(key.toLower());
    if (found != c.entries.cend() && found->value == value)
        return;
    const QString storedKey = found != c.entries.cend() ? found->storedKey : key;
    QDir().mkpath(QFileInfo(c.path).absolutePath());
    {
        QSettings ini(c.path, QSettings::IniFormat);
        ini.setValue(storedKey, value);
        ini.sync();
    }
    c.entries.insert(key.toLower(), {storedKey, value});
    noteFileState(c);
}
