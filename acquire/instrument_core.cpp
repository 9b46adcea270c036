#include "acquire/instrument_core.h"

#include "acquire/acquire_log.h"
#include "acquire/acquisition.h"
#include "acquire/lab_link_feed.h"
#include "acquire/plan_runner.h"
#include "acquire/run_saving.h"
#include "acquire/sleep_inhibitor.h"
#include "lablink/link_settings.h"
#include "lablink/publisher.h"
#include "record/journal.h"
#include "record/recorder.h"
#include "usb/bus_scan.h"
#include "usb/connection_watcher.h"
#include "usb/device_link.h"

#include <QTimer>

namespace acquire {

InstrumentCore::InstrumentCore(QObject *parent)
    : QObject(parent), m_link(new DeviceLink(this)), m_scan(new usb::BusScan(*m_link, this)),
      m_watcher(new ConnectionWatcher(this)), m_recorder(new Recorder(this)),
      m_session(new RunSession(*m_recorder, this)),
      m_acquisition(new Acquisition(*m_link, *m_session, this)),
      m_labLink(new lablink::Publisher(this)), m_sleep(new SleepInhibitor(this))
{
    // The data path: samples go to the recorder; the session empties it when a run begins and
    // saves it into the data folder when the run ends, however it ends.
    connect(m_acquisition, &Acquisition::sampled, m_recorder,
            qOverload<const Sample &>(&Recorder::record));
    m_session->setSaver([this] { return saveRecordedRun(*m_recorder); });
    m_feed = new LabLinkFeed(*m_labLink, *m_link, *m_acquisition, *m_session, *m_recorder, this);
    m_plans = new PlanRunner(*this, this);
    m_feed->followPlans(*m_plans);
    // The computer stays awake while a run records, however the run then ends.
    connect(m_session, &RunSession::stateChanged, this, [this](RunSession::State state) {
        if (state == RunSession::State::Running)
            m_sleep->inhibit(m_plans->running() ? tr("Running a test plan")
                                                : tr("Recording a run"));
        else
            m_sleep->release();
    });

    connect(m_watcher, &ConnectionWatcher::deviceArrived, this, &InstrumentCore::openInstrument);
    connect(m_watcher, &ConnectionWatcher::deviceLeft, this, &InstrumentCore::instrumentLeft);
    connect(m_scan, &usb::BusScan::ended, this, &InstrumentCore::identifyInstrument);
    connect(m_scan, &usb::BusScan::instrumentChosen, this, &InstrumentCore::identifyInstrument);
    m_watcher->setDeviceIds(m_link->vendorId(), m_link->productId());
}

InstrumentCore::~InstrumentCore()
{
    // The watcher is a child: it must not be destroyed while it runs.
    stopWorkers();
}

QVector<RecoveredRun> InstrumentCore::recoverEarlierRuns()
{
    m_recorder->setJournalFolder(defaultJournalFolder());
    return recoverJournals(defaultJournalFolder(), programDataFolder());
}

bool InstrumentCore::start()
{
    const bool opened = m_watcher->tryOpen();
    m_watcher->start();
    m_acquisition->start();
    return opened;
}

void InstrumentCore::startLabLink(const lablink::LinkSettings &settings)
{
    m_feed->start(settings);
}

void InstrumentCore::openInstrument(const QString &name)
{
    emit connected(name);
    if (!m_link->open()) {
        emit openFailed();
        return;
    }
    m_acquisition->deviceOpened();
    scanBus();
}

void InstrumentCore::scanBus()
{
    m_scan->begin();
    emit scanStarted();
}

void InstrumentCore::identifyInstrument()
{
    const quint8 family = m_link->identifyModel();
    // The same instrument keeps its run; another one (found by the scan or chosen in the list),
    // or none, ends it and a found one begins the next.
    m_acquisition->scanEnded();
    m_feed->identified(!m_link->state().bus.foundAddresses.empty());
    emit identified(family);
}

void InstrumentCore::instrumentLeft()
{
    m_acquisition->deviceLost(); // a running run is saved
    m_feed->lost();
    emit lost();
}

void InstrumentCore::finish(RunSession::End why)
{
    m_acquisition->timer()->stop();
    m_session->finish(why);
    stopWorkers();
    m_feed->stop(); // delivers the run's last events, then "offline"
}

void InstrumentCore::stopWorkers()
{
    if (m_watcher->isRunning()) {
        m_watcher->requestStop();
        m_watcher->wait();
    }
    // A bus scan lasts at most a few seconds; its signals must not outlive the core.
    m_scan->waitForEnd();
}

} // namespace acquire
