#pragma once
// Runs a test in its own working directory, so that "usb-hid.ini" and data files land there and
// never in the user's folders: an empty "usb-hid.ini" in it is the settings file the program
// uses, unless the test asks for a folder without one.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class TempWorkDir
{
public:
    enum Settings
    {
        WithSettingsFile,
        WithoutSettingsFile
    };
    explicit TempWorkDir(Settings settings = WithSettingsFile) : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
        if (settings == WithSettingsFile)
            QFile(file("usb-hid.ini")).open(QIODevice::WriteOnly);
    }
    ~TempWorkDir() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
