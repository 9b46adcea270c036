#pragma once
// Runs a test in its own empty working directory, so that "usb-hid.ini" and data files land
// there and never in the user's folders.

#include <QDir>
#include <QTemporaryDir>

class TempWorkDir
{
public:
    TempWorkDir() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~TempWorkDir() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
