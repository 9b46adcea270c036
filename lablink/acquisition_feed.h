#pragma once
// What the lab link publishes from the acquisition: every sample as a reading, and the run's
// start and end (stopped by the user or the instrument, or interrupted) followed by where its
// data file went. The window and the headless bench feed their publisher through this.

#include <QObject>
#include <QString>

class DeviceLink;
struct Sample;
namespace acquire {
class Acquisition;
class RunSession;
} // namespace acquire

namespace lablink {

class Publisher;

// The instrument's name in the topics: its serial number, or model and bus address.
QString identityOf(const DeviceLink &link);

class AcquisitionFeed : public QObject
{
    Q_OBJECT
public:
    AcquisitionFeed(Publisher &publisher, const DeviceLink &link,
                    const acquire::Acquisition &acquisition, const acquire::RunSession &session,
                    QObject *parent = nullptr);

private:
    void publishSample(const Sample &sample);
    void publishRunEvent(int kind, const QString &path = QString());

    Publisher &m_publisher;
    const DeviceLink &m_link;
};

} // namespace lablink
