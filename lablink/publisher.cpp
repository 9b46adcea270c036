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
#include <thread>
#include <vector>

#include <sys/eventfd.h>
#include <unistd.h>

namespace lablink {

namespace {

constexpr int kConnectTimeoutMs = 10000;
// A round's longest wait for the socket: a queued message wakes the round at once, so this only
// paces the keep-alive and how soon a lost connection is noticed.
constexpr int kServiceMs = 1000;
constexpr int kFirstRetryMs = 1000;
constexpr int kLongestRetryMs = 60000;

struct PendingEvent
{
    quint64 id = 0;
    QString instrument;                  // empty: the link's current one
    QString (*topicOf)(const QString &); // runTopic, planTopic
    QByteArray payload;
    int mid = -1; // the message id while the broker has not acknowledged it
    quint64 sender = 0; // the connection that sent it, whose acknowledgement counts
};

QString brokerName(const LinkSettings &s)
{
    return QStringLiteral("%1%2:%3").arg(s.tls ? "mqtts://" : "mqtt://", s.host).arg(s.port);
}

} // namespace

// What the publisher and its connections' threads share. A connection's thread holds it alive
// and never touches the Publisher, which may be gone before the thread ends.
struct Publisher::Shared
{
    Shared() : wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~Shared()
    {
        if (wakeFd >= 0)
            ::close(wakeFd);
    }
    // Wakes a connection waiting for its socket (MqttSession::service).
    void nudge() const
    {
        const quint64 one = 1;
        if (wakeFd >= 0 && ::write(wakeFd, &one, sizeof one) < 0)
            return; // the counter is full: the connection is awake anyway
    }

    mutable std::mutex mutex;
    std::condition_variable wake;
    const int wakeFd;
    std::deque<Reading> readings;
    std::deque<PendingEvent> events;
    quint64 nextEventId = 1;
    quint64 droppedReadings = 0;
    quint64 droppedEvents = 0;
    QString identity; // empty: no instrument identified yet, nothing to name
    DeviceInfo device;
    bool identityChanged = false;
    bool leaveOnline = false; // the last identity change handed the old instrument over
    quint64 generation = 0; // the current connection's; a stop or start moves it on
    int openSessions = 0;   // connections open, the current one and any saying farewell
    std::condition_variable ended; // a session closed
    QString status;
    bool connected = false;
    Publisher *owner = nullptr; // null once the publisher is gone
};

// One connection's thread: it runs until the publisher's generation moves past its own.
class Publisher::Worker
{
public:
    Worker(std::shared_ptr<Shared> shared, quint64 generation, LinkSettings settings)
        : m_shared(std::move(shared)), m_generation(generation), m_settings(std::move(settings))
    {
    }
    void run();

private:
    bool current() const { return m_shared->generation == m_generation; } // under the mutex
    void report(const QString &text, bool connected);
    void sendDueEvents(quint64 upToId = ~quint64(0));
    void sendQueued(quint64 upToId = ~quint64(0));
    bool open(std::unique_lock<std::mutex> &lock);
    void closeSession(std::unique_lock<std::mutex> &lock);
    void farewell();

    std::shared_ptr<Shared> m_shared;
    const quint64 m_generation;
    const LinkSettings m_settings;
    MqttSession m_session;
    QString m_base;
    int m_retryMs = kFirstRetryMs;

public:
    quint64 lastEventBeforeStop = ~quint64(0); // under the mutex: what the farewell still sends
    bool farewellOffline = true;               // under the mutex
};

Publisher::Publisher(QObject *parent) : QObject(parent), m_shared(std::make_shared<Shared>())
{
    qRegisterMetaType<lablink::Reading>();
    qRegisterMetaType<lablink::RunEvent>();
    qRegisterMetaType<lablink::PlanEvent>();
    m_shared->owner = this;
}

Publisher::~Publisher()
{
    stop();
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->owner = nullptr;
    m_shared->ended.wait_for(lock, std::chrono::milliseconds(kFarewellMs),
                             [this] { return m_shared->openSessions == 0; });
}

void Publisher::start(const LinkSettings &settings, const QString &identity)
{
    stop();
    quint64 generation = 0;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        generation = ++m_shared->generation;
        m_shared->identity = identity;
        m_shared->identityChanged = false;
    }
    m_worker = std::make_shared<Worker>(m_shared, generation, settings);
    std::thread([worker = m_worker] { worker->run(); }).detach();
}

void Publisher::stop(Leaving leaving)
{
    if (!m_worker)
        return;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        ++m_shared->generation;
        // Events published from now on are for the next connection.
        m_worker->lastEventBeforeStop = m_shared->nextEventId - 1;
        m_worker->farewellOffline = leaving == Leaving::Offline;
    }
    m_worker.reset();
    m_shared->wake.notify_all();
    m_shared->nudge();
    report(QStringLiteral("stopped"), false);
}

void Publisher::setIdentity(const QString &identity, const DeviceInfo &device, Leaving leaving)
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        if (identity == m_shared->identity)
            return;
        m_shared->identity = identity;
        m_shared->device = device;
        m_shared->identityChanged = true;
        m_shared->leaveOnline = leaving == Leaving::HandedOver;
    }
    m_shared->wake.notify_all();
    m_shared->nudge();
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
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        if (int(m_shared->readings.size()) >= kReadingCapacity) {
            m_shared->readings.pop_front();
            ++m_shared->droppedReadings;
        }
        m_shared->readings.push_back(reading);
    }
    m_shared->nudge();
}

void Publisher::queueEvent(const QString &instrument, QString (*topicOf)(const QString &),
                           const QByteArray &payload)
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        if (int(m_shared->events.size()) >= kEventCapacity) {
            m_shared->events.pop_front();
            ++m_shared->droppedEvents;
        }
        m_shared->events.push_back({m_shared->nextEventId++, instrument, topicOf, payload, -1, 0});
    }
    m_shared->nudge();
}

void Publisher::publishRunEvent(const RunEvent &event)
{
    queueEvent(event.instrument, &runTopic, runEventJson(event));
}

void Publisher::publishPlanEvent(const PlanEvent &event)
{
    queueEvent(event.instrument, &planTopic, planEventJson(event));
}

// On the publisher's thread.
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

// Only the current connection speaks for the link; the event is posted while the publisher is
// known to live (its destructor clears the owner under the same lock, and Qt drops the events
// posted to a deleted object).
void Publisher::Worker::report(const QString &text, bool connected)
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    Shared &shared = *m_shared;
    if (!current() || !shared.owner ||
        (shared.status == text && shared.connected == connected))
        return;
    shared.status = text;
    shared.connected = connected;
    qCInfo(lcLabLink).noquote() << "lab link:" << text;
    Publisher *owner = shared.owner;
    QMetaObject::invokeMethod(
        owner, [owner, text, connected] { emit owner->statusChanged(text, connected); },
        Qt::QueuedConnection);
}

namespace {

// The topic base of a queued message: its own instrument's, or the link's current one.
QString baseOf(const QString &instrument, const QString &prefix, const QString &current)
{
    return instrument.isEmpty() ? current : topicBase(prefix, instrument);
}

} // namespace

// Publishes the run and plan events not yet sent on this connection, each to its own
// instrument's topic, and notes their message ids, by which the broker's acknowledgement removes
// them.
void Publisher::Worker::sendDueEvents(quint64 upToId)
{
    std::vector<PendingEvent> due;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        for (const PendingEvent &pending : m_shared->events) {
            if (pending.mid < 0 && pending.id <= upToId)
                due.push_back(pending);
        }
    }
    if (due.empty())
        return;
    std::vector<std::pair<quint64, int>> sent;
    for (const PendingEvent &event : due) {
        const QString topic = event.topicOf(baseOf(event.instrument, m_settings.prefix, m_base));
        sent.emplace_back(event.id, m_session.publish(topic.toUtf8(), event.payload, 1, false));
    }
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    for (PendingEvent &pending : m_shared->events) {
        for (const auto &s : sent) {
            if (s.first == pending.id) {
                pending.mid = s.second;
                pending.sender = m_generation;
            }
        }
    }
}

// The queued readings (only while the socket keeps up, so a stalled broker leaves them in the
// bounded queue rather than in the library's), each to its own instrument's topic, and the due
// run events.
void Publisher::Worker::sendQueued(quint64 upToId)
{
    std::vector<Reading> readings;
    if (!m_session.backlogged()) {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        readings.assign(m_shared->readings.begin(), m_shared->readings.end());
        m_shared->readings.clear();
    }
    for (const Reading &reading : readings) {
        const QString topic = readingTopic(baseOf(reading.instrument, m_settings.prefix, m_base));
        m_session.publish(topic.toUtf8(), readingJson(reading), 0, false);
    }
    sendDueEvents(upToId);
}

// Opens the connection under the current identity, after any earlier connection's farewell.
// Called and returns with the lock held; false when it failed (and the pause before the next
// attempt has passed) or the connection is no longer wanted.
bool Publisher::Worker::open(std::unique_lock<std::mutex> &lock)
{
    Shared &shared = *m_shared;
    shared.ended.wait_for(lock, std::chrono::milliseconds(kFarewellMs + 500),
                          [&] { return shared.openSessions == 0 || !current(); });
    shared.identityChanged = false;
    m_base = topicBase(m_settings.prefix, shared.identity);
    lock.unlock();
    report(QStringLiteral("connecting to %1").arg(brokerName(m_settings)), false);
    const QString error =
        m_session.open(m_settings, statusTopic(m_base).toUtf8(), kConnectTimeoutMs, [this] {
            std::lock_guard<std::mutex> guard(m_shared->mutex);
            return !current();
        });
    lock.lock();
    if (!error.isEmpty()) {
        if (!current())
            return false;
        lock.unlock();
        report(QStringLiteral("%1: %2; retrying in %3 s")
                   .arg(brokerName(m_settings), error)
                   .arg(m_retryMs / 1000),
               false);
        lock.lock();
        shared.wake.wait_for(lock, std::chrono::milliseconds(m_retryMs),
                             [this] { return !current(); });
        m_retryMs = std::min(m_retryMs * 2, kLongestRetryMs);
        return false;
    }
    ++shared.openSessions;
    m_retryMs = kFirstRetryMs;
    // Events the last connection did not see acknowledged go again.
    for (PendingEvent &pending : shared.events)
        pending.mid = -1;
    const QVector<RetainedMessage> announced =
        m_settings.discovery
            ? discoveryMessages(m_settings.discoveryPrefix, m_base, shared.identity, shared.device)
            : QVector<RetainedMessage>();
    lock.unlock();
    m_session.publish(statusTopic(m_base).toUtf8(), "online", 1, true);
    for (const RetainedMessage &message : announced)
        m_session.publish(message.topic.toUtf8(), message.payload, 1, true);
    report(QStringLiteral("connected to %1").arg(brokerName(m_settings)), true);
    lock.lock();
    return true;
}

void Publisher::Worker::run()
{
    Shared &shared = *m_shared;
    const quint64 generation = m_generation;
    m_session.onPublished = [&shared, generation](int mid) {
        std::lock_guard<std::mutex> lock(shared.mutex);
        auto acknowledged =
            std::find_if(shared.events.begin(), shared.events.end(), [&](const PendingEvent &e) {
                return e.mid == mid && e.sender == generation;
            });
        if (acknowledged != shared.events.end())
            shared.events.erase(acknowledged);
    };
    std::unique_lock<std::mutex> lock(shared.mutex);
    while (current()) {
        if (m_session.isOpen() && shared.identityChanged) {
            // Another instrument, or none: deliver what was queued and leave under the old name
            // (as it is, when another connection now speaks for it).
            const bool offline = !shared.leaveOnline;
            lock.unlock();
            sendQueued();
            if (offline)
                m_session.publish(statusTopic(m_base).toUtf8(), "offline", 1, true);
            closeSession(lock);
        }
        if (shared.identity.isEmpty()) { // nothing to name yet: no topic names a guess
            shared.identityChanged = false;
            shared.wake.wait(lock, [&] { return !current() || shared.identityChanged; });
            continue;
        }
        if (!m_session.isOpen() && !open(lock))
            continue;
        lock.unlock();
        sendQueued();

        const bool alive = m_session.service(kServiceMs, shared.wakeFd);
        if (!alive) {
            report(QStringLiteral("%1: %2").arg(brokerName(m_settings), m_session.lastError()),
                   false);
            lock.lock();
            --shared.openSessions;
            shared.ended.notify_all();
            continue;
        }
        lock.lock();
    }
    lock.unlock();
    farewell();
}

// Closes the open session; called without the lock, returns with it held.
void Publisher::Worker::closeSession(std::unique_lock<std::mutex> &lock)
{
    m_session.close();
    lock.lock();
    --m_shared->openSessions;
    m_shared->ended.notify_all();
}

// The run's last events and "offline", delivered within kFarewellMs.
void Publisher::Worker::farewell()
{
    if (!m_session.isOpen())
        return;
    quint64 upToId = 0;
    bool offline = true;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        upToId = lastEventBeforeStop;
        offline = farewellOffline;
    }
    sendQueued(upToId);
    if (offline)
        m_session.publish(statusTopic(m_base).toUtf8(), "offline", 1, true);
    for (int waited = 0; waited < kFarewellMs && m_session.isOpen(); waited += 50) {
        {
            std::lock_guard<std::mutex> guard(m_shared->mutex);
            bool unsent = false;
            for (const PendingEvent &pending : m_shared->events)
                unsent = unsent || (pending.mid >= 0 && pending.sender == m_generation);
            if (!unsent && !m_session.backlogged())
                break;
        }
        if (!m_session.service(50))
            break;
    }
    std::unique_lock<std::mutex> lock(m_shared->mutex, std::defer_lock);
    closeSession(lock);
}

} // namespace lablink
