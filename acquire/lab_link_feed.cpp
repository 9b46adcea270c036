#include "acquire/lab_link_feed.h"

#include "acquire/acquisition.h"
#include "acquire/run_session.h"
#include "lablink/payloads.h"
#include "lablink/publisher.h"
#include "record/clock.h"
#include "record/recorder.h"
#include "usb/device_link.h"

namespace acquire {

using lablink::Reading;
using lablink::RunEvent;

QString identityOf(const DeviceLink &link)
{
    return lablink::instrumentIdentity(link.serialString(), link.modelWord(),
                                       link.currentAddress());
}

LabLinkFeed::LabLinkFeed(lablink::Publisher &publisher, const DeviceLink &link,
                         const Acquisition &acquisition, const RunSession &session,
                         const Recorder &recorder, QObject *parent)
    : QObject(parent), m_publisher(publisher), m_link(link), m_session(session)
{
    // The cycle's sample is published when the cycle ends, as a recorded row if the recorder
    // (connected first) took it while a run records.
    connect(&acquisition, &Acquisition::sampled, this,
            [this](const Sample &sample) { m_sample = sample; });
    connect(&recorder, &Recorder::rowRecorded, this, &LabLinkFeed::rowRecorded);
    connect(&acquisition, &Acquisition::stepped, this, &LabLinkFeed::stepped);
    connect(&session, &RunSession::started, this, [this] { m_runAnnounced = false; });
    connect(&session, &RunSession::finished, this,
            [this](const SaveOutcome &outcome, RunSession::End why) {
                runFinished(outcome, int(why));
            });
    connect(&session, &RunSession::savedOnRetry, this,
            [this](const SaveOutcome &outcome) { publishRunEvent(RunEvent::Saved, outcome.path); });
}

void LabLinkFeed::identified(bool found)
{
    m_identity = found ? identityOf(m_link) : QString();
    // The USB product string names the model (second word) and the firmware (third).
    const lablink::DeviceInfo device{m_link.modelWord(), m_link.manufacturerString().trimmed(),
                                     m_link.productString().split(' ').value(2),
                                     m_link.familyCode()};
    m_publisher.setIdentity(m_identity, device);
}

void LabLinkFeed::lost()
{
    m_identity.clear();
    m_publisher.setIdentity(m_identity);
}

void LabLinkFeed::rowRecorded()
{
    if (!m_session.running())
        return;
    m_sampleRecorded = true;
    if (!m_runAnnounced) {
        m_runAnnounced = true;
        publishRunEvent(RunEvent::Started);
    }
}

// One reading a second, on the cycles the acquisition samples on: the sample itself when it took
// one, otherwise the instrument's latest values (a load at rest is not recorded, yet reported).
void LabLinkFeed::stepped()
{
    const std::optional<Sample> sample = std::move(m_sample);
    const bool recorded = m_sampleRecorded;
    m_sample.reset();
    m_sampleRecorded = false;
    if (m_identity.isEmpty() || !m_link.measured() || m_link.scanBusy() ||
        (!sample && (m_link.tickCounter() & 1u) == 0))
        return;
    Reading reading;
    if (sample) {
        reading.time = QDateTime::fromMSecsSinceEpoch(sample->wallMs);
        std::copy(sample->values.begin(), sample->values.end(), reading.values.begin());
        reading.family = sample->family;
        reading.workMode = sample->workMode;
    } else {
        reading.time = Clock::now();
        reading.values = sampleValuesOf(m_link.live());
        reading.family = m_link.familyCode();
        reading.workMode = m_link.live().workMode;
    }
    reading.loadOn = m_session.loadOn();
    reading.recording = recorded;
    publish(reading);
}

void LabLinkFeed::publish(Reading reading)
{
    if (!m_publisher.isStarted())
        return;
    reading.instrument = m_identity;
    m_publisher.publishReading(reading);
}

// A run ends stopped (the run button, a new run, the instrument's own stop) or interrupted
// (unplugged, another instrument, closed, a signal); then where its data file went, or why it
// has none. A run that recorded nothing was never announced, so it has no end either.
void LabLinkFeed::runFinished(const SaveOutcome &outcome, int why)
{
    if (!m_runAnnounced)
        return;
    m_runAnnounced = false;
    const auto end = RunSession::End(why);
    const bool stopped = end == RunSession::End::Stopped || end == RunSession::End::NewRun ||
                         end == RunSession::End::InstrumentStopped;
    publishRunEvent(stopped ? RunEvent::Stopped : RunEvent::Interrupted);
    if (outcome.written())
        publishRunEvent(RunEvent::Saved, outcome.path);
    else if (outcome.result == SaveOutcome::Result::Failed)
        publishRunEvent(RunEvent::NotSaved, outcome.reason);
    else
        publishRunEvent(RunEvent::NotSaved,
                        QStringLiteral("fewer than %1 rows").arg(DataFileSaver::kMinimumRows));
}

void LabLinkFeed::publishRunEvent(int kind, const QString &text)
{
    if (!m_publisher.isStarted() || m_identity.isEmpty())
        return;
    RunEvent event{RunEvent::Kind(kind), QDateTime::currentDateTime(), {}, m_identity, {}};
    (kind == RunEvent::NotSaved ? event.reason : event.path) = text;
    m_publisher.publishRunEvent(event);
}

} // namespace acquire
