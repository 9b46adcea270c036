#include "record/durable_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace durable {

namespace {
Observer &observer()
{
    static Observer o;
    return o;
}

#ifndef Q_OS_WIN
QString systemError(const char *what, const QString &path)
{
    return QStringLiteral("%1 %2: %3")
        .arg(QLatin1String(what), path, QString::fromLocal8Bit(std::strerror(errno)));
}
#endif
} // namespace

const char *stepName(Step step)
{
    switch (step) {
    case Step::Written:
        return "written";
    case Step::FileSynced:
        return "file synced";
    case Step::Renamed:
        return "renamed";
    case Step::FolderSynced:
        return "folder synced";
    case Step::Removed:
        return "removed";
    }
    return "?";
}

void setObserver(Observer o)
{
    observer() = std::move(o);
}

void report(Step step, const QString &path)
{
    if (observer())
        observer()(step, path);
}

bool syncFile(QFile &file, QString *error)
{
    if (!file.flush()) {
        *error = file.errorString();
        return false;
    }
#ifdef Q_OS_WIN
    const bool ok = _commit(file.handle()) == 0;
#else
    const bool ok = ::fsync(file.handle()) == 0;
#endif
    if (!ok) {
#ifdef Q_OS_WIN
        *error = QStringLiteral("cannot force %1 to disk").arg(file.fileName());
#else
        *error = systemError("cannot force to disk", file.fileName());
#endif
        return false;
    }
    report(Step::FileSynced, file.fileName());
    return true;
}

bool syncFolder(const QString &folder, QString *error)
{
#ifdef Q_OS_WIN
    Q_UNUSED(error) // NTFS keeps its own metadata journal; a folder cannot be opened to sync
#else
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || ::fsync(fd) != 0) {
        *error = systemError("cannot force folder to disk", folder);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
#endif
    report(Step::FolderSynced, folder);
    return true;
}

MoveResult moveNoReplace(const QString &from, const QString &to, QString *error)
{
#ifdef Q_OS_WIN
    if (QFileInfo::exists(to))
        return MoveResult::TargetExists;
    if (!QFile::rename(from, to)) { // MoveFileEx without replacing
        if (QFileInfo::exists(to))
            return MoveResult::TargetExists;
        *error = QStringLiteral("cannot rename %1 to %2").arg(from, to);
        return MoveResult::Failed;
    }
#else
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int result =
        ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without the exclusive rename: a hard link is just as exclusive.
        result = ::link(source.constData(), target.constData());
        if (result == 0)
            ::unlink(source.constData());
    }
    if (result != 0) {
        if (errno == EEXIST)
            return MoveResult::TargetExists;
        *error = systemError("cannot rename", from + " -> " + to);
        return MoveResult::Failed;
    }
#endif
    report(Step::Renamed, to);
    return MoveResult::Moved;
}

bool moveReplacing(const QString &from, const QString &to, QString *error)
{
#ifdef Q_OS_WIN
    const bool moved = ::MoveFileExW(reinterpret_cast<const wchar_t *>(from.utf16()),
                                     reinterpret_cast<const wchar_t *>(to.utf16()),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!moved) {
        *error = QStringLiteral("cannot rename %1 to %2").arg(from, to);
        return false;
    }
#else
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        *error = systemError("cannot rename", from + " -> " + to);
        return false;
    }
#endif
    report(Step::Renamed, to);
    return true;
}

bool removeFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.remove() && file.exists()) {
        *error = QStringLiteral("cannot remove %1: %2").arg(path, file.errorString());
        return false;
    }
    report(Step::Removed, path);
    return syncFolder(QFileInfo(path).absolutePath(), error);
}

bool makeFolder(const QString &folder, bool parents, QString *error)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    if (info.exists()) {
        *error = QStringLiteral("%1 exists and is not a folder").arg(folder);
        return false;
    }
    QDir dir;
    const bool made = parents ? dir.mkpath(folder) : dir.mkdir(folder);
    if (!made) {
        if (QFileInfo(folder).isDir()) // made by someone else meanwhile
            return true;
        *error = QFileInfo(info.absolutePath()).isDir()
                     ? QStringLiteral("cannot create folder %1").arg(folder)
                     : QStringLiteral("parent folder of %1 does not exist").arg(folder);
        return false;
    }
    return syncFolder(QFileInfo(info.absolutePath()).absoluteFilePath(), error);
}

} // namespace durable
