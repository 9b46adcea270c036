#include "acquire/lab_link_feed.h"

#include "acquire/acquisition.h"
#include "usb/device_link.h"
#include "lablink/payloads.h"
#include "lablink/publisher.h"
#include "acquire/run_session.h"

namespace acquire {

using lablink::Reading;
using lablink::RunEvent;

QString identityOf(const DeviceLink &link)
{
    return lablink::instrumentIdentity(link.serialString(), link.modelWord(), link.currentAddress());
}

LabLinkFeed::LabLinkFeed(lablink::Publisher &publisher, const DeviceLink &link,
                         const Acquisition &acquisition, const RunSession &session,
                         QObject *parent)
    : QObject(parent), m_publisher(publisher), m_link(link)
{
    connect(&acquisition, &Acquisition::sampled, this, &LabLinkFeed::publishSample);
    connect(&session, &RunSession::started, this, [this] { publishRunEvent(RunEvent::Started); });
    // A run ends stopped (the run button, a new run, the instrument's own stop) or interrupted
    // (unplugged, another instrument, closed, a signal); then, if it was written, where its data
    // file went.
    connect(&session, &RunSession::finished, this,
            [this](const SaveOutcome &outcome, RunSession::End why) {
                const bool stopped = why == RunSession::End::Stopped ||
                                     why == RunSession::End::NewRun ||
                                     why == RunSession::End::InstrumentStopped;
                publishRunEvent(stopped ? RunEvent::Stopped : RunEvent::Interrupted);
                if (outcome.written())
                    publishRunEvent(RunEvent::Saved, outcome.path);
            });
    connect(&session, &RunSession::savedOnRetry, this,
            [this](const SaveOutcome &outcome) { publishRunEvent(RunEvent::Saved, outcome.path); });
}

void LabLinkFeed::publishSample(const Sample &sample)
{
    if (!m_publisher.isStarted())
        return;
    m_publisher.setIdentity(identityOf(m_link));
    Reading reading;
    reading.time = QDateTime::fromMSecsSinceEpoch(sample.wallMs);
    std::copy(sample.values.begin(), sample.values.end(), reading.values.begin());
    reading.family = sample.family;
    reading.workMode = sample.workMode;
    reading.running = sample.loadOn;
    m_publisher.publishReading(reading);
}

void LabLinkFeed::publishRunEvent(int kind, const QString &path)
{
    if (!m_publisher.isStarted())
        return;
    m_publisher.setIdentity(identityOf(m_link));
    m_publisher.publishRunEvent({RunEvent::Kind(kind), QDateTime::currentDateTime(), path});
}

} // namespace acquire
