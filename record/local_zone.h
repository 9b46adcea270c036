#pragma once
// Local time without a file check per conversion. With TZ unset, the C library looks at
// /etc/localtime again on every local-time conversion, a system call each, and the chart's time
// labels convert dozens of times on every zoom, pan and followed sample. Naming the
// zone file in TZ makes the library read it once; the pin reads it again every minute, so a zone
// changed while the program runs is followed. A TZ the user set is left alone.
//
// Create the pin before any other thread starts (it may add TZ to the environment), and let it
// refresh once the application's event loop exists.

#include <QByteArray>
#include <QObject>
#include <QTimer>

class LocalZonePin : public QObject
{
public:
    // `zoneFile` is an absolute path.
    explicit LocalZonePin(const QByteArray &zoneFile = QByteArrayLiteral("/etc/localtime"),
                          QObject *parent = nullptr);
    ~LocalZonePin() override; // TZ as it was

    bool pinned() const { return !m_zoneFile.isEmpty(); }
    // Reads the zone file again now, and with an event loop every `intervalMs`.
    void refresh();
    void refreshEvery(int intervalMs = 60000);

private:
    QByteArray m_zoneFile; // empty when TZ was already set
    QTimer m_refresh;
};
