#pragma once
// Where data files go. The user's `save_path` when set; otherwise the folder "Data" beside the
// executable, which suits a build tree or a portable copy, or, when the program is installed
// where users may not write, "Data" in the user's own data location.

#include <QString>

struct DataFolder
{
    QString path;
    bool fallback = false; // "Data" beside the executable was not writable
};

// appDir: the executable's folder (QCoreApplication::applicationDirPath() in the program).
DataFolder resolveDataFolder(const QString &savePath, const QString &appDir);

// Creates the folder if missing: one level for a folder the user chose (a missing parent is an
// error, not something to invent), the whole path for the fallback in the user's data location.
bool makeDataFolder(const DataFolder &folder, QString *error);

// The `save_path` to remember after the user saved to `file`: its folder, with "C:/" kept as is.
QString savePathOf(const QString &file);
