#pragma once
// The headless bench (--headless): no window, for a small computer left beside a bench. It
// presents the instrument core in the log (standard error, the journal under systemd): the core
// watches for the instrument, scans the bus, records the runs the instrument itself starts and
// stops, saves them where the window would and publishes them to the lab link when a broker is
// set.

#include "acquire/run_session.h"

#include <QObject>

namespace acquire {
class InstrumentCore;
}
namespace lablink {
struct LinkSettings;
}

class HeadlessBench : public QObject
{
    Q_OBJECT
public:
    explicit HeadlessBench(QObject *parent = nullptr);

    // Turns earlier journals into data files, starts the lab link (when enabled), the watcher and
    // the acquisition.
    void start(const lablink::LinkSettings &labLink);
    // A running run is saved (and told to the lab link); the threads end.
    void finish(acquire::RunSession::End why);

private:
    acquire::InstrumentCore *m_core;
};

// Runs the bench until SIGTERM, SIGINT or SIGHUP; the exit status (0 after a signal).
int runHeadlessBench(const lablink::LinkSettings &labLink);
