#pragma once
// What the lab link publishes from the instrument core, and only what happened: an instrument's
// topics once the bus scan has identified it; one reading a second while it is connected (with
// its load and whether the reading is a recorded row); a run's "started" with its first recorded
// row, and for every started run its end (stopped by the user or the instrument, or interrupted)
// followed by where its data file went or why none was written.

#include "record/sample.h"

#include <QObject>
#include <QString>

#include <optional>

class DeviceLink;
class Recorder;
struct SaveOutcome;
namespace lablink {
class Publisher;
struct Reading;
} // namespace lablink

namespace acquire {

class Acquisition;
class RunSession;

// The instrument's name in the topics: its serial number and bus address, or model and address.
QString identityOf(const DeviceLink &link);

class LabLinkFeed : public QObject
{
    Q_OBJECT
public:
    LabLinkFeed(lablink::Publisher &publisher, const DeviceLink &link,
                const Acquisition &acquisition, const RunSession &session, const Recorder &recorder,
                QObject *parent = nullptr);

    // The identified instrument's name; empty while none is.
    QString identity() const { return m_identity; }

    // The bus scan ended (found: an instrument answered and its model is known), or the
    // instrument went.
    void identified(bool found);
    void lost();

private:
    void rowRecorded();
    void stepped();
    void runFinished(const SaveOutcome &outcome, int why);
    void publish(lablink::Reading reading);
    void publishRunEvent(int kind, const QString &text = QString());

    lablink::Publisher &m_publisher;
    const DeviceLink &m_link;
    const RunSession &m_session;
    QString m_identity;
    std::optional<Sample> m_sample; // this cycle's, until the cycle ends
    bool m_sampleRecorded = false;
    bool m_runAnnounced = false; // "started" went out for the running run
};

} // namespace acquire
