#pragma once
// The user settings file "usb-hid.ini": the one in the current working directory when there is
// one (a portable copy, or a file kept from earlier versions), otherwise "usb-tester/usb-hid.ini"
// in the user's config location, so the settings stay the same whichever folder the program is
// started from. The file is read once and kept as a value (read again only when it changed on
// disk behind the program's back); a write that changes a value is on disk when write() returns.

#include <QObject>
#include <QString>

class SettingsFile : public QObject
{
    Q_OBJECT
public:
    explicit SettingsFile(QObject *parent = nullptr) : QObject(parent) {}

    // Keys compare without regard to case ("Language" finds "language"). Missing: empty text.
    QString read(const QString &key) const;
    void write(const QString &key, const QString &value);

    static QString filePath();
};
