#pragma once
// What the lab link publishes from the instrument core, and only what happened: an instrument's
// topics once the bus scan has identified it; one reading a second while it is connected (with
// its load and whether the reading is a recorded row); a run's "started" with its first recorded
// row, and for every started run its end (stopped by the user or the instrument, or interrupted)
// followed by where its data file went or why none was written; a test plan's start, steps and
// end. The other instruments the bus scan found on the cable publish too, each under its own name
// and over a connection of its own (so each has its own "offline" will): their status, discovery
// and a reading a second, never recorded; they are polled only while the lab link is on.

#include "lablink/link_settings.h"
#include "lablink/reading.h"
#include "record/sample.h"

#include <QObject>
#include <QString>

#include <map>
#include <optional>

class DeviceLink;
class Recorder;
struct SaveOutcome;
namespace lablink {
class Publisher;
} // namespace lablink

namespace acquire {

class Acquisition;
class PlanRunner;
class RunSession;

// The instrument's name in the topics: its serial number and bus address, or model and address.
QString identityOf(const DeviceLink &link);

class LabLinkFeed : public QObject
{
    Q_OBJECT
public:
    LabLinkFeed(lablink::Publisher &publisher, DeviceLink &link, const Acquisition &acquisition,
                const RunSession &session, const Recorder &recorder, QObject *parent = nullptr);
    ~LabLinkFeed() override;

    // The identified instrument's name; empty while none is.
    QString identity() const { return m_identity; }

    // (Re)starts the lab link, the identified instrument's and its neighbours'; disabled
    // settings stop it. stop() delivers the last events, then "offline" for every instrument.
    void start(const lablink::LinkSettings &settings);
    void stop();
    void followPlans(const PlanRunner &plans);

    // The bus scan ended (found: an instrument answered and its model is known), or the
    // instrument went.
    void identified(bool found);
    void lost();

private:
    void rowRecorded();
    void stepped();
    void runFinished(const SaveOutcome &outcome, int why);
    void publish(lablink::Reading reading);
    void publishNeighbours();
    void publishRunEvent(int kind, const QString &text = QString());
    void publishPlanEvent(int kind, const QJsonObject &details);
    lablink::DeviceInfo deviceAt(quint8 address) const;
    void followBus(bool found);

    struct Neighbour
    {
        quint8 address = 0;
        quint8 family = 0;
        lablink::Publisher *publisher = nullptr; // a child, deleted after its farewell
    };
    void retire(lablink::Publisher *publisher, bool handedOver);

    lablink::Publisher &m_publisher;
    DeviceLink &m_link;
    const RunSession &m_session;
    lablink::LinkSettings m_settings; // enabled while the lab link is on
    QString m_identity;
    std::map<QString, Neighbour> m_neighbours; // by name in the topics
    std::optional<Sample> m_sample; // this cycle's, until the cycle ends
    bool m_sampleRecorded = false;
    bool m_runAnnounced = false; // "started" went out for the running run
};

} // namespace acquire
