#include "data_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace {
// Writable as it stands, or creatable one level below a writable parent.
bool writableOrCreatable(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.isDir() && info.isWritable();
    const QFileInfo parent(info.absolutePath());
    return parent.isDir() && parent.isWritable();
}
} // namespace

DataFolder resolveDataFolder(const QString &savePath, const QString &appDir)
{
    if (!savePath.isEmpty())
        return {savePath, false};
    const QString beside = appDir + "/Data";
    if (writableOrCreatable(beside))
        return {beside, false};
    return {QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/Data", true};
}

bool makeDataFolder(const DataFolder &folder, QString *error)
{
    const QFileInfo info(folder.path);
    if (info.isDir())
        return true;
    if (info.exists()) {
        *error = QStringLiteral("%1 exists and is not a folder").arg(folder.path);
        return false;
    }
    QDir dir;
    if (folder.fallback ? dir.mkpath(folder.path) : dir.mkdir(folder.path))
        return true;
    *error = QFileInfo(info.absolutePath()).isDir()
                 ? QStringLiteral("cannot create folder %1").arg(folder.path)
                 : QStringLiteral("parent folder of %1 does not exist").arg(folder.path);
    return false;
}

QString savePathOf(const QString &file)
{
    QStringList parts = file.split('/', Qt::KeepEmptyParts);
    if (parts.size() == 2)
        return parts.first() + "/";
    parts.removeLast();
    return parts.join('/');
}
