#include "app/headless_bench.h"

#include "acquire/acquisition.h"
#include "lablink/acquisition_feed.h"
#include "usb/bus_scan.h"
#include "usb/device_link.h"
#include "record/journal.h"
#include "record/journal_recovery.h"
#include "lablink/link_settings.h"
#include "lablink/publisher.h"
#include "record/recorder.h"
#include "acquire/run_saving.h"
#include "app/crash_notice.h"
#include "app/termination_signals.h"
#include "usb/usb_thread.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTimer>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

using acquire::RunSession;

HeadlessBench::HeadlessBench(QObject *parent)
    : QObject(parent), m_link(new DeviceLink(this)), m_scan(new usb::BusScan(*m_link, this)),
      m_watcher(new USBThread(this)), m_recorder(new Recorder(this)),
      m_session(new RunSession(*m_recorder, this)),
      m_acquisition(new acquire::Acquisition(*m_link, *m_session, this)),
      m_labLink(new lablink::Publisher(this))
{
    m_acquisition->setRunsFollowLoad(true);
    connect(m_acquisition, &acquire::Acquisition::sampled, m_recorder,
            qOverload<const Sample &>(&Recorder::record));
    m_session->setSaver(
        [this] { return acquire::saveRecordedRun(*m_recorder, m_link->familyCode()); });
    connect(m_session, &RunSession::started, this, [this] {
        m_recorder->setFamilyCode(m_link->familyCode());
        qCInfo(lcApp).noquote() << "run started on" << lablink::identityOf(*m_link);
    });
    connect(m_session, &RunSession::finished, this, [](const SaveOutcome &outcome) {
        if (outcome.written())
            qCInfo(lcApp).noquote() << "run saved:" << outcome.path;
    });
    new lablink::AcquisitionFeed(*m_labLink, *m_link, *m_acquisition, *m_session, this);
    connect(m_labLink, &lablink::Publisher::statusChanged, this,
            [](const QString &text) { qCInfo(lcApp).noquote() << "lab link:" << text; });

    connect(m_scan, &usb::BusScan::ended, this, &HeadlessBench::scanEnded);
    connect(m_watcher, &USBThread::usb_connect, this, &HeadlessBench::deviceArrived);
    connect(m_watcher, &USBThread::usb_disconnect, this, &HeadlessBench::deviceLeft);
}

HeadlessBench::~HeadlessBench()
{
    stopWorkers();
}

void HeadlessBench::start(const lablink::LinkSettings &labLink)
{
    logUnseenCrash();
    const DataFolder folder = acquire::programDataFolder();
    qCInfo(lcApp).noquote() << "headless: runs are saved in" << folder.path;
    m_recorder->setJournalFolder(defaultJournalFolder());
    for (const RecoveredRun &run : recoverJournals(defaultJournalFolder(), folder))
        qCInfo(lcApp).noquote() << "run recovered from" << run.journal << ":"
                                << run.save.labelText();
    if (labLink.enabled)
        m_labLink->start(labLink, lablink::identityOf(*m_link));

    m_watcher->setDeviceIds(m_link->vendorId(), m_link->productId());
    if (!m_watcher->tryOpen())
        qCInfo(lcApp) << "waiting for the instrument";
    m_watcher->start();
    m_acquisition->start();
}

void HeadlessBench::deviceArrived(const QString &name)
{
    qCInfo(lcApp).noquote() << "instrument connected:" << name;
    if (!m_link->open()) {
        qCWarning(lcApp).noquote()
            << "instrument cannot be opened:" << hid::backend().lastOpenError();
        return;
    }
    m_acquisition->deviceOpened();
    m_scan->begin();
}

void HeadlessBench::scanEnded()
{
    m_link->identifyModel();
    if (m_scan->instruments().isEmpty())
        qCWarning(lcApp) << "no instrument answered on the bus";
    else
        qCInfo(lcApp).noquote() << "instrument" << lablink::identityOf(*m_link) << "of"
                                << m_scan->instruments().size() << "on the bus";
    m_acquisition->scanEnded();
}

void HeadlessBench::deviceLeft()
{
    qCWarning(lcApp) << "instrument unplugged; waiting for it to come back";
    m_acquisition->deviceLost(); // a running run is saved
}

void HeadlessBench::finish(RunSession::End why)
{
    m_acquisition->timer()->stop();
    m_session->finish(why);
    stopWorkers();
    m_labLink->stop(); // delivers the run's last events, then "offline"
}

void HeadlessBench::stopWorkers()
{
    if (m_watcher->isRunning()) {
        m_watcher->requestStop();
        m_watcher->wait();
    }
    m_scan->waitForEnd();
}

int runHeadlessBench(const lablink::LinkSettings &labLink)
{
    HeadlessBench bench;
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::received, &bench, [&bench](int n) {
        qCInfo(lcApp) << "signal" << n << "received: saving the run and ending";
        bench.finish(RunSession::End::Signal);
        QCoreApplication::exit(0);
    });
    bench.start(labLink);
    return QCoreApplication::exec();
}
