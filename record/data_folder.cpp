#include "record/data_folder.h"

#include "record/durable_file.h"

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

const char kProgramFolderName[] = "usb-tester";

bool underSystemPrefix(const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList prefixes{"/usr",   "/opt", "/bin", "/sbin", "/lib", "/lib32",
                         "/lib64", "/etc", "/var", "/snap", "/boot"};
    for (const char *variable : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            prefixes << QDir::fromNativeSeparators(value);
    }
    for (const QString &prefix : prefixes) {
        if (clean.compare(prefix, Qt::CaseInsensitive) == 0 ||
            clean.startsWith(prefix + "/", Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool installedLayout(const QString &appDir)
{
    const QDir dir(appDir);
    return underSystemPrefix(appDir) ||
           (dir.dirName() == "bin" && QFileInfo(dir.absoluteFilePath("../share")).isDir());
}

DataFolder resolveDataFolder(const QString &savePath, const QString &appDir,
                             const QString &documents)
{
    if (!savePath.isEmpty())
        return {savePath, false};
    const QString beside = appDir + "/Data";
    if (!installedLayout(appDir) && writableOrCreatable(beside))
        return {beside, false};
    const QString base = documents.isEmpty()
                             ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                             : documents;
    return {base + "/" + kProgramFolderName, true};
}

bool makeDataFolder(const DataFolder &folder, QString *error)
{
    return durable::makeFolder(folder.path, folder.fallback, error);
}

QString savePathOf(const QString &file)
{
    QStringList parts = file.split('/', Qt::KeepEmptyParts);
    if (parts.size() == 2)
        return parts.first() + "/";
    parts.removeLast();
    return parts.join('/');
}
