#pragma once
// Where data files go. The user's `save_path` when set. Otherwise the folder "Data" beside the
// executable for a build tree or a portable copy: a folder the user may write that does not lie
// below a system prefix such as /usr or /opt. An installed program instead keeps its runs in a
// folder named after it in the user's documents, so nothing is written where a package lives.

#include <QString>

struct DataFolder
{
    QString path;
    bool fallback = false; // not beside the executable: made with its parents when missing
};

// The folder in the user's documents: "usb-tester".
extern const char kProgramFolderName[];

// appDir: the executable's folder (QCoreApplication::applicationDirPath() in the program).
// documents: the user's documents location; empty asks QStandardPaths.
DataFolder resolveDataFolder(const QString &savePath, const QString &appDir,
                             const QString &documents = QString());

// True for a folder below a system prefix (/usr, /opt, /bin, ... or Program Files), where an
// installed program lives and must not write.
bool underSystemPrefix(const QString &path);

// An installed program: below a system prefix, or in the "bin" folder of a prefix that has a
// "share" folder beside it (an install tree anywhere, such as /tmp/stage/usr/bin).
bool installedLayout(const QString &appDir);

// Creates the folder if missing: one level for a folder the user chose (a missing parent is an
// error, not something to invent), the whole path for the folder in the user's documents. A
// folder that is already there, even one another instance has just made, is success.
bool makeDataFolder(const DataFolder &folder, QString *error);

// The `save_path` to remember after the user saved to `file`: its folder, with "C:/" kept as is.
QString savePathOf(const QString &file);
