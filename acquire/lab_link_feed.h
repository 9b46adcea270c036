#pragma once
// What the lab link publishes from the acquisition: every sample as a reading, and the run's
// start and end (stopped by the user or the instrument, or interrupted) followed by where its
// data file went.

#include <QObject>
#include <QString>

class DeviceLink;
struct Sample;
namespace lablink {
class Publisher;
}

namespace acquire {

class Acquisition;
class RunSession;

// The instrument's name in the topics: its serial number, or model and bus address.
QString identityOf(const DeviceLink &link);

class LabLinkFeed : public QObject
{
    Q_OBJECT
public:
    LabLinkFeed(lablink::Publisher &publisher, const DeviceLink &link,
                const Acquisition &acquisition, const RunSession &session,
                QObject *parent = nullptr);

private:
    void publishSample(const Sample &sample);
    void publishRunEvent(int kind, const QString &path = QString());

    lablink::Publisher &m_publisher;
    const DeviceLink &m_link;
};

} // namespace acquire
