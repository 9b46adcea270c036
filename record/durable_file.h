#pragma once
// The file-system steps that make a save survive a crash or a power cut: force a file or a
// folder to disk, move a finished file into place without replacing anything, remove a file and
// make the removal last. Every step of a save goes through here, and each one that succeeds is
// reported to an observer, so tests can check the order and end the process after any step.

#include <QString>

#include <functional>

class QFile;

namespace durable {

enum class Step
{
    Written,      // a temporary file holds all its bytes (not yet on disk)
    FileSynced,   // a file's bytes are on disk
    Renamed,      // a temporary file has its final name
    FolderSynced, // a folder's entries (a new or removed name) are on disk
    Removed,      // a file is gone
};
const char *stepName(Step step);

using Observer = std::function<void(Step step, const QString &path)>;
// An empty observer switches the reports off.
void setObserver(Observer observer);
void report(Step step, const QString &path);

bool syncFile(QFile &file, QString *error);
bool syncFolder(const QString &folder, QString *error);

enum class MoveResult
{
    Moved,
    TargetExists, // nothing changed; pick another name
    Failed,
};
// Renames from to to in one step, only if to does not exist yet, even when another process
// creates it at the same moment.
MoveResult moveNoReplace(const QString &from, const QString &to, QString *error);

// Renames from to to in one step, replacing a file already called to: someone sees the old file
// or the new one, never a mix. Only for a file the user has agreed to replace.
bool moveReplacing(const QString &from, const QString &to, QString *error);

// Removes path and syncs its folder. A missing file counts as removed.
bool removeFile(const QString &path, QString *error);

// Creates folder (and with parents its missing parents). A folder that is already there, even one
// another process has just made, is success. Syncs the parent of a folder it created.
bool makeFolder(const QString &folder, bool parents, QString *error);

} // namespace durable
