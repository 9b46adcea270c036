#pragma once
// The headless bench (--headless): no window, for a small computer left beside a bench. It
// watches for the instrument, scans the bus, polls through the acquisition, records the runs the
// instrument itself starts and stops, saves them where the window would, publishes them to the
// lab link when a broker is set, and logs to standard error (the journal under systemd).

#include "acquire/run_session.h"

#include <QObject>

class DeviceLink;
class Recorder;
class USBThread;
namespace acquire {
class Acquisition;
}
namespace lablink {
class Publisher;
struct LinkSettings;
} // namespace lablink
namespace usb {
class BusScan;
}

class HeadlessBench : public QObject
{
    Q_OBJECT
public:
    explicit HeadlessBench(QObject *parent = nullptr);
    ~HeadlessBench() override;

    // Turns earlier journals into data files, starts the lab link (when enabled), the watcher and
    // the acquisition.
    void start(const lablink::LinkSettings &labLink);
    // A running run is saved (and told to the lab link); the threads end.
    void finish(acquire::RunSession::End why);

private:
    void deviceArrived(const QString &name);
    void deviceLeft();
    void scanEnded();
    void stopWorkers();

    DeviceLink *m_link;
    usb::BusScan *m_scan;
    USBThread *m_watcher;
    Recorder *m_recorder;
    acquire::RunSession *m_session;
    acquire::Acquisition *m_acquisition;
    lablink::Publisher *m_labLink;
};

// Runs the bench until SIGTERM, SIGINT or SIGHUP; the exit status (0 after a signal).
int runHeadlessBench(const lablink::LinkSettings &labLink);
