#pragma once
// The lab link's publisher: readings, run and plan events go to an MQTT broker from a thread of
// its own. The slots only queue (and wake that thread, so a reading goes out as soon as it is
// queued), and stopping or restarting never waits for that thread, so the caller's thread never
// waits on the network. Both queues are bounded: while the broker is away the oldest readings are
// dropped and counted; events are kept until the broker acknowledges them (up to kEventCapacity,
// then the oldest go, counted).

#include "lablink/link_settings.h"
#include "lablink/reading.h"

#include <QObject>

#include <memory>

namespace lablink {

class Publisher : public QObject
{
    Q_OBJECT
public:
    static constexpr int kReadingCapacity = 120; // a minute of samples
    static constexpr int kEventCapacity = 256;

    explicit Publisher(QObject *parent = nullptr);
    // Stops, and waits at most kFarewellMs for the connection's farewell.
    ~Publisher() override;

    // Connects (and reconnects, with growing pauses) to the broker until stop(). The identity
    // names the instrument in the topics (see payloads.h); while it is empty (no instrument
    // identified yet) the link waits without connecting, so that no topic names a guess. A
    // connection still saying farewell after a stop is given up to kFarewellMs to finish before
    // the new one opens.
    void start(const LinkSettings &settings, const QString &identity);
    // How a connection leaves its instrument: marked "offline", or left as it is because the
    // instrument is still there and another connection now speaks for it.
    enum class Leaving
    {
        Offline,
        HandedOver
    };

    // Returns at once. In the background the connection marks the link "offline" (unless handed
    // over), delivers what it can within kFarewellMs and disconnects; one still connecting is
    // abandoned.
    void stop(Leaving leaving = Leaving::Offline);
    bool isStarted() const { return m_worker != nullptr; }

    static constexpr int kFarewellMs = 1000;
    // A newly identified instrument: the link leaves the old name "offline" (after delivering
    // what was queued for it; as it is when handed over) and reconnects under the new one; empty:
    // it only leaves. With discovery on, each connection announces the instrument's sensors
    // (payloads.h).
    void setIdentity(const QString &identity, const DeviceInfo &device = {},
                     Leaving leaving = Leaving::Offline);

    QString statusText() const;
    bool isConnected() const;
    quint64 droppedReadings() const;
    quint64 droppedEvents() const;
    int queuedReadings() const;
    int queuedEvents() const;

public slots:
    void publishReading(const lablink::Reading &reading);
    void publishRunEvent(const lablink::RunEvent &event);
    void publishPlanEvent(const lablink::PlanEvent &event);

signals:
    // On the publisher's own (GUI) thread: the words for the status line.
    void statusChanged(const QString &text, bool connected);

private:
    struct Shared;
    class Worker;
    void report(const QString &text, bool connected);
    void queueEvent(const QString &instrument, QString (*topicOf)(const QString &),
                    const QByteArray &payload);

    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<Worker> m_worker; // the current connection's, while started
};

} // namespace lablink
