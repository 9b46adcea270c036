#include "acquire/lab_link_feed.h"

#include "acquire/acquisition.h"
#include "acquire/plan_runner.h"
#include "acquire/run_session.h"
#include "lablink/payloads.h"
#include "lablink/publisher.h"
#include "record/clock.h"
#include "record/recorder.h"
#include "usb/device_link.h"

#include <QTimer>

namespace acquire {

using lablink::PlanEvent;
using lablink::Publisher;
using lablink::Reading;
using lablink::RunEvent;

QString identityOf(const DeviceLink &link)
{
    return lablink::instrumentIdentity(link.serialString(), link.modelWord(),
                                       link.currentAddress());
}

LabLinkFeed::LabLinkFeed(Publisher &publisher, DeviceLink &link, const Acquisition &acquisition,
                         const RunSession &session, const Recorder &recorder, QObject *parent)
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

LabLinkFeed::~LabLinkFeed()
{
    // Their farewells run side by side before the destructors wait for them.
    for (const auto &neighbour : m_neighbours)
        neighbour.second.publisher->stop();
}

void LabLinkFeed::start(const lablink::LinkSettings &settings)
{
    stop();
    if (!settings.enabled)
        return;
    m_settings = settings;
    m_publisher.start(settings, m_identity);
    followBus(!m_identity.isEmpty());
}

void LabLinkFeed::stop()
{
    m_publisher.stop(); // delivers the run's last events, then "offline"
    m_settings.enabled = false;
    followBus(!m_identity.isEmpty());
}

void LabLinkFeed::identified(bool found)
{
    followBus(found);
}

void LabLinkFeed::lost()
{
    followBus(false);
}

// The USB product string names the model (second word) and the firmware (third); an address
// reply may name its own instrument's model.
lablink::DeviceInfo LabLinkFeed::deviceAt(quint8 address) const
{
    const QString model = m_link.modelAt(address);
    return {model, m_link.manufacturerString().trimmed(),
            m_link.productString().split(' ').value(2),
            address == m_link.currentAddress() ? m_link.familyCode()
                                               : quint8(proto::familyOfModel(model))};
}

// The identified instrument goes to the core's publisher, every other instrument found with a
// known model to one of its own. One that changes hands (another instrument of those found was
// chosen) is handed over rather than left "offline", so that no late "offline" from the
// connection it leaves can overtake the "online" of the one it joins.
void LabLinkFeed::followBus(bool found)
{
    const QString previous = m_identity;
    m_identity = found ? identityOf(m_link) : QString();
    std::map<QString, quint8> wanted; // name -> bus address
    for (const quint8 address : m_link.state().bus.foundAddresses) {
        if (found && m_settings.enabled && address != m_link.currentAddress() &&
            proto::familyOfModel(m_link.modelAt(address)) != proto::NoFamily)
            wanted[lablink::instrumentIdentity(m_link.serialString(), m_link.modelAt(address),
                                               address)] = address;
    }
    for (auto it = m_neighbours.begin(); it != m_neighbours.end();) {
        if (wanted.count(it->first)) {
            ++it;
            continue;
        }
        retire(it->second.publisher, it->first == m_identity);
        it = m_neighbours.erase(it);
    }
    m_publisher.setIdentity(m_identity, deviceAt(m_link.currentAddress()),
                            wanted.count(previous) ? Publisher::Leaving::HandedOver
                                                   : Publisher::Leaving::Offline);
    for (const auto &[identity, address] : wanted) {
        if (m_neighbours.count(identity))
            continue;
        auto *publisher = new Publisher(this);
        const lablink::DeviceInfo device = deviceAt(address);
        publisher->setIdentity(identity, device);
        publisher->start(m_settings, identity);
        m_neighbours[identity] = {address, device.family, publisher};
    }
    m_link.setPollsNeighbours(!m_neighbours.empty());
}

void LabLinkFeed::retire(Publisher *publisher, bool handedOver)
{
    publisher->stop(handedOver ? Publisher::Leaving::HandedOver : Publisher::Leaving::Offline);
    QTimer::singleShot(Publisher::kFarewellMs + 500, publisher, &QObject::deleteLater);
}

void LabLinkFeed::followPlans(const PlanRunner &plans)
{
    connect(&plans, &PlanRunner::stepStarted, this, [this, &plans](int index) {
        const plan::Plan &plan = plans.plan();
        if (index == 0)
            publishPlanEvent(PlanEvent::PlanStarted,
                             {{"steps", plan.steps.size()}, {"plan", plan.text}});
        const plan::Step step = plan.steps.value(index);
        publishPlanEvent(PlanEvent::StepStarted,
                         {{"step", index + 1}, {"line", step.line}, {"text", step.text}});
    });
    connect(&plans, &PlanRunner::stepEnded, this,
            [this](const QJsonObject &result) { publishPlanEvent(PlanEvent::StepEnded, result); });
    connect(&plans, &PlanRunner::finished, this,
            [this](const QJsonObject &result) { publishPlanEvent(PlanEvent::PlanEnded, result); });
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
    if (m_link.scanBusy())
        return;
    publishNeighbours();
    if (m_identity.isEmpty() || !m_link.measured() || (!sample && (m_link.tickCounter() & 1u) == 0))
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

// The other instruments' readings, on the cycles that brought their measurement reports.
void LabLinkFeed::publishNeighbours()
{
    const auto &polled = m_link.neighbours();
    for (const auto &[identity, neighbour] : m_neighbours) {
        const auto found = polled.find(neighbour.address);
        if (found == polled.end() || !found->second.lastStepMeasured)
            continue;
        const proto::LinkState &state = found->second.state;
        Reading reading;
        reading.instrument = identity;
        reading.time = Clock::now();
        reading.values = sampleValuesOf(state.live);
        reading.family = neighbour.family;
        reading.workMode = state.live.workMode;
        reading.loadOn = state.deviceRunning;
        neighbour.publisher->publishReading(reading);
    }
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

void LabLinkFeed::publishPlanEvent(int kind, const QJsonObject &details)
{
    if (!m_publisher.isStarted() || m_identity.isEmpty())
        return;
    m_publisher.publishPlanEvent({PlanEvent::Kind(kind), Clock::now(), m_identity, details});
}

} // namespace acquire
