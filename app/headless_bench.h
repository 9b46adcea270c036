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
} // namespace acquire
namespace lablink {
struct LinkSettings;
}
namespace plan {
struct Plan;
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
    // With a plan: runs it once the instrument is identified; its end ends the program.
    void runPlan(const plan::Plan &plan);
    // A running plan ends as a fault, its load off (a signal).
    void endPlan(int signal);

private:
    acquire::InstrumentCore *m_core;
    bool m_planStarted = false;
};

// Runs the bench until SIGTERM, SIGINT or SIGHUP; the exit status (0 after a signal). With a
// plan file, runs the plan once the instrument is identified and ends with it: 0 when it ended
// normally, 3 when a fault, a refusal or a signal ended it.
int runHeadlessBench(const lablink::LinkSettings &labLink, const QString &planFile = QString());
