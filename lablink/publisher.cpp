#include "lablink/publisher.h"

#include "lablink/lablink_log.h"
#include "lablink/mqtt_session.h"
#include "lablink/payloads.h"

#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace lablink {

namespace {

constexpr int kConnectTimeoutMs = 10000;
constexpr int kServiceMs = 100; // a queued reading waits at most this long
constexpr int kFirstRetryMs = 1000;
constexpr int kLongestRetryMs = 60000;
constexpr int kFarewellMs = 1000;

struct PendingEvent
{
    quint64 id = 0;
    RunEvent event;
    int mid = -1; // the message id while the broker has not acknowledged it
};

QString brokerName(const LinkSettings &s)
{
    return QStringLiteral("%1%2:%3").arg(s.tls ? "mqtts://" : "mqtt://", s.host).arg(s.port);
}

} // namespace

struct Publisher::Shared
{
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::deque<Reading> readings;
    std::deque<PendingEvent> events;
    quint64 nextEventId = 1;
    quint64 droppedReadings = 0;
    quint64 droppedEvents = 0;
    QString identity;
    DeviceInfo device;
    bool identityChanged = false;
    bool stopping = false;
    QString status;
    bool connected = false;
};

Publisher::Publisher(QObject *parent) : QObject(parent), m_shared(std::make_shared<Shared>())
{
    qRegisterMetaType<lablink::Reading>();
    qRegisterMetaType<lablink::RunEvent>();
}

Publisher::~Publisher()
{
    stop();
}

void Publisher::start(const LinkSettings &settings, const QString &identity)
{
    stop();
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stopping = false;
        m_shared->identity = identity;
        m_shared->identityChanged = false;
    }
    m_worker = std::thread([this, settings] { run(settings); });
}

void Publisher::stop()
{
    if (!m_worker.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stopping = true;
    }
    m_shared->wake.notify_all();
    m_worker.join();
}

void Publisher::setIdentity(const QString &identity, const DeviceInfo &device)
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        if (identity == m_shared->identity)
            return;
        m_shared->identity = identity;
        m_shared->device = device;
        m_shared->identityChanged = true;
    }
    m_shared->wake.notify_all();
}

QString Publisher::statusText() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->status;
}

bool Publisher::isConnected() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->connected;
}

quint64 Publisher::droppedReadings() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->droppedReadings;
}

quint64 Publisher::droppedEvents() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->droppedEvents;
}

int Publisher::queuedReadings() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return int(m_shared->readings.size());
}

int Publisher::queuedEvents() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return int(m_shared->events.size());
}

void Publisher::publishReading(const Reading &reading)
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (int(m_shared->readings.size()) >= kReadingCapacity) {
        m_shared->readings.pop_front();
        ++m_shared->droppedReadings;
    }
    m_shared->readings.push_back(reading);
}

void Publisher::publishRunEvent(const RunEvent &event)
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (int(m_shared->events.size()) >= kEventCapacity) {
        m_shared->events.pop_front();
        ++m_shared->droppedEvents;
    }
    m_shared->events.push_back({m_shared->nextEventId++, event, -1});
}

void Publisher::report(const QString &text, bool connected)
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        if (m_shared->status == text && m_shared->connected == connected)
            return;
        m_shared->status = text;
        m_shared->connected = connected;
    }
    qCInfo(lcLabLink).noquote() << "lab link:" << text;
    QMetaObject::invokeMethod(
        this, [this, text, connected] { emit statusChanged(text, connected); },
        Qt::QueuedConnection);
}

namespace {

// The topic base of a queued message: its own instrument's, or the link's current one.
QString baseOf(const QString &instrument, const QString &prefix, const QString &current)
{
    return instrument.isEmpty() ? current : topicBase(prefix, instrument);
}

} // namespace

// Publishes the run events not yet sent on this connection and notes their message ids, by
// which the broker's acknowledgement removes them.
void Publisher::sendDueEvents(MqttSession &session, const QString &prefix, const QString &base)
{
    std::vector<std::pair<quint64, RunEvent>> due;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        for (const PendingEvent &pending : m_shared->events) {
            if (pending.mid < 0)
                due.emplace_back(pending.id, pending.event);
        }
    }
    if (due.empty())
        return;
    std::vector<std::pair<quint64, int>> sent;
    for (const auto &event : due) {
        const QString topic = runTopic(baseOf(event.second.instrument, prefix, base));
        sent.emplace_back(event.first,
                          session.publish(topic.toUtf8(), runEventJson(event.second), 1, false));
    }
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    for (PendingEvent &pending : m_shared->events) {
        for (const auto &s : sent) {
            if (s.first == pending.id)
                pending.mid = s.second;
        }
    }
}

// The queued readings (only while the socket keeps up, so a stalled broker leaves them in the
// bounded queue rather than in the library's) and the due run events.
void Publisher::sendQueued(MqttSession &session, const QString &prefix, const QString &base)
{
    std::vector<Reading> readings;
    if (!session.backlogged()) {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        readings.assign(m_shared->readings.begin(), m_shared->readings.end());
        m_shared->readings.clear();
    }
    for (const Reading &reading : readings) {
        const QString topic = readingTopic(baseOf(reading.instrument, prefix, base));
        session.publish(topic.toUtf8(), readingJson(reading), 0, false);
    }
    sendDueEvents(session, prefix, base);
}

// Marks the instrument "offline", waits up to kFarewellMs for the run events to be
// acknowledged, and disconnects.
void Publisher::leave(MqttSession &session, const QString &base)
{
    session.publish(statusTopic(base).toUtf8(), "offline", 1, true);
    for (int waited = 0; waited < kFarewellMs && session.isOpen(); waited += 50) {
        {
            std::lock_guard<std::mutex> guard(m_shared->mutex);
            bool unsent = false;
            for (const PendingEvent &pending : m_shared->events)
                unsent = unsent || pending.mid >= 0;
            if (!unsent && !session.backlogged())
                break;
        }
        session.service(50);
    }
    session.close();
}

void Publisher::run(LinkSettings settings)
{
    Shared &shared = *m_shared;
    MqttSession session;
    session.onPublished = [&shared](int mid) {
        std::lock_guard<std::mutex> lock(shared.mutex);
        auto acknowledged = std::find_if(shared.events.begin(), shared.events.end(),
                                         [mid](const PendingEvent &e) { return e.mid == mid; });
        if (acknowledged != shared.events.end())
            shared.events.erase(acknowledged);
    };
    int retryMs = kFirstRetryMs;
    QString base;
    std::unique_lock<std::mutex> lock(shared.mutex);
    while (!shared.stopping) {
        if (!session.isOpen() || shared.identityChanged) {
            if (session.isOpen()) { // another instrument, or none: leave under the old name
                lock.unlock();
                sendQueued(session, settings.prefix, base);
                leave(session, base);
                lock.lock();
            }
            shared.identityChanged = false;
            if (shared.identity.isEmpty()) { // nothing to name yet
                shared.wake.wait(lock,
                                 [&shared] { return shared.stopping || shared.identityChanged; });
                continue;
            }
            base = topicBase(settings.prefix, shared.identity);
            lock.unlock();
            report(QStringLiteral("connecting to %1").arg(brokerName(settings)), false);
            const QString error =
                session.open(settings, statusTopic(base).toUtf8(), kConnectTimeoutMs);
            lock.lock();
            if (!error.isEmpty()) {
                lock.unlock();
                report(QStringLiteral("%1: %2; retrying in %3 s")
                           .arg(brokerName(settings), error)
                           .arg(retryMs / 1000),
                       false);
                lock.lock();
                shared.wake.wait_for(lock, std::chrono::milliseconds(retryMs),
                                     [&shared] { return shared.stopping; });
                retryMs = std::min(retryMs * 2, kLongestRetryMs);
                continue;
            }
            retryMs = kFirstRetryMs;
            // Events the last connection did not see acknowledged go again.
            for (PendingEvent &pending : shared.events)
                pending.mid = -1;
            const QVector<RetainedMessage> announced =
                settings.discovery ? discoveryMessages(settings.discoveryPrefix, base,
                                                       shared.identity, shared.device)
                                   : QVector<RetainedMessage>();
            lock.unlock();
            session.publish(statusTopic(base).toUtf8(), "online", 1, true);
            for (const RetainedMessage &message : announced)
                session.publish(message.topic.toUtf8(), message.payload, 1, true);
            report(QStringLiteral("connected to %1").arg(brokerName(settings)), true);
            lock.lock();
        }
        lock.unlock();

        sendQueued(session, settings.prefix, base);
        const bool alive = session.service(kServiceMs);
        if (!alive)
            report(QStringLiteral("%1: %2").arg(brokerName(settings), session.lastError()), false);
        lock.lock();
    }
    lock.unlock();

    if (session.isOpen()) {
        sendQueued(session, settings.prefix, base);
        leave(session, base);
    }
    report(QStringLiteral("stopped"), false);
}

} // namespace lablink
