#include "lablink/mqtt_session.h"

#include "lablink/lablink_log.h"

#include <mosquitto.h>

#include <QElapsedTimer>

#include <cerrno>
#include <cstring>
#include <mutex>

#include <poll.h>
#include <unistd.h>

namespace lablink {

namespace {

constexpr int kKeepAliveSeconds = 20;

void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QByteArray local8(const QString &text)
{
    return text.toLocal8Bit();
}

} // namespace

MqttSession::MqttSession()
{
    initialiseLibrary();
}

MqttSession::~MqttSession()
{
    release();
}

void MqttSession::release()
{
    if (m_handle)
        mosquitto_destroy(m_handle);
    m_handle = nullptr;
    m_answered = m_accepted = false;
}

QString MqttSession::describe(int rc) const
{
    switch (rc) {
    case MOSQ_ERR_EAI:
        return QStringLiteral("broker host name not found");
    case MOSQ_ERR_ERRNO:
        return QString::fromLocal8Bit(std::strerror(errno)).toLower();
    case MOSQ_ERR_TLS:
    case MOSQ_ERR_TLS_HANDSHAKE:
        return m_lastLibraryError.isEmpty() ? QStringLiteral("TLS failure")
                                            : QStringLiteral("TLS failure: ") + m_lastLibraryError;
    default:
        if (!m_lastLibraryError.isEmpty() && rc == MOSQ_ERR_CONN_LOST)
            return QStringLiteral("connection lost: ") + m_lastLibraryError;
        return QString::fromUtf8(mosquitto_strerror(rc)).toLower();
    }
}

QString MqttSession::open(const LinkSettings &s, const QByteArray &willTopic, int timeoutMs,
                          const std::function<bool()> &abandoned)
{
    release();
    m_lastError.clear();
    m_lastLibraryError.clear();
    if (s.host.isEmpty())
        return m_lastError = QStringLiteral("no broker host set");
    m_handle = mosquitto_new(nullptr, true, this);
    if (!m_handle)
        return m_lastError = QStringLiteral("out of memory");
    mosquitto_int_option(m_handle, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // Messages are small and each should leave at once, not wait for the last one's ACK.
    mosquitto_int_option(m_handle, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(m_handle, &MqttSession::connectCallback);
    mosquitto_disconnect_callback_set(m_handle, &MqttSession::disconnectCallback);
    mosquitto_publish_callback_set(m_handle, &MqttSession::publishCallback);
    mosquitto_log_callback_set(m_handle, &MqttSession::logCallback);

    int rc = MOSQ_ERR_SUCCESS;
    if (!s.user.isEmpty())
        rc = mosquitto_username_pw_set(m_handle, s.user.toUtf8().constData(),
                                       s.password.isEmpty() ? nullptr
                                                            : s.password.toUtf8().constData());
    if (rc == MOSQ_ERR_SUCCESS && s.tls) {
        const QByteArray ca = local8(s.caFile);
        // Without a CA file of its own the link trusts the system's authorities.
        rc =
            mosquitto_tls_set(m_handle, ca.isEmpty() ? nullptr : ca.constData(),
                              ca.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
        if (rc == MOSQ_ERR_INVAL)
            return m_lastError = QStringLiteral("CA file cannot be read: ") + s.caFile;
    }
    static const char offline[] = "offline";
    if (rc == MOSQ_ERR_SUCCESS && !willTopic.isEmpty())
        rc = mosquitto_will_set(m_handle, willTopic.constData(), int(sizeof offline - 1), offline,
                                1, true);
    if (rc == MOSQ_ERR_SUCCESS)
        rc = mosquitto_connect_async(m_handle, local8(s.host).constData(), s.port,
                                     kKeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        m_lastError = describe(rc);
        release();
        return m_lastError;
    }
    QElapsedTimer waited;
    waited.start();
    while (!m_answered && waited.elapsed() < timeoutMs) {
        if (abandoned && abandoned()) {
            release();
            return m_lastError = QStringLiteral("stopped");
        }
        rc = mosquitto_loop(m_handle, 100, 1);
        if (rc != MOSQ_ERR_SUCCESS && !m_answered) {
            m_lastError = describe(rc);
            release();
            return m_lastError;
        }
    }
    if (!m_answered)
        m_lastError = QStringLiteral("no answer from the broker");
    if (!m_accepted) {
        release();
        return m_lastError;
    }
    return QString();
}

bool MqttSession::service(int timeoutMs, int wakeFd)
{
    if (!isOpen())
        return false;
    int loopTimeoutMs = timeoutMs;
    if (wakeFd >= 0) {
        // Wait for the socket or the wake; the library's own round then only does what is due.
        const short wantWrite = mosquitto_want_write(m_handle) ? POLLOUT : 0;
        pollfd fds[2] = {{mosquitto_socket(m_handle), short(POLLIN | wantWrite), 0},
                         {wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, timeoutMs) > 0 && (fds[1].revents & POLLIN)) {
            quint64 count = 0;
            if (::read(wakeFd, &count, sizeof count) < 0)
                count = 0; // taken by another connection's round
        }
        loopTimeoutMs = 0;
    }
    const int rc = mosquitto_loop(m_handle, loopTimeoutMs, 1);
    if (rc == MOSQ_ERR_SUCCESS && m_accepted)
        return true;
    if (m_lastError.isEmpty())
        m_lastError = describe(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : rc);
    release();
    return false;
}

bool MqttSession::backlogged() const
{
    return m_handle && mosquitto_want_write(m_handle);
}

int MqttSession::publish(const QByteArray &topic, const QByteArray &payload, int qos, bool retain)
{
    if (!isOpen())
        return -1;
    int mid = -1;
    const int rc = mosquitto_publish(m_handle, &mid, topic.constData(), payload.size(),
                                     payload.constData(), qos, retain);
    return rc == MOSQ_ERR_SUCCESS ? mid : -1;
}

void MqttSession::close()
{
    if (m_handle && m_accepted) {
        mosquitto_disconnect(m_handle);
        // Let the disconnect (and whatever precedes it) reach the socket.
        for (int i = 0; i < 10 && m_handle && mosquitto_want_write(m_handle); ++i)
            mosquitto_loop(m_handle, 50, 1);
    }
    release();
}

void MqttSession::connectCallback(mosquitto *, void *self, int rc)
{
    auto *session = static_cast<MqttSession *>(self);
    session->m_answered = true;
    session->m_accepted = rc == 0;
    if (rc != 0)
        session->m_lastError = QStringLiteral("the broker refused: ") +
                               QString::fromUtf8(mosquitto_connack_string(rc)).toLower();
}

void MqttSession::disconnectCallback(mosquitto *, void *self, int rc)
{
    auto *session = static_cast<MqttSession *>(self);
    session->m_accepted = false;
    if (rc != 0 && session->m_lastError.isEmpty())
        session->m_lastError = session->describe(MOSQ_ERR_CONN_LOST);
}

void MqttSession::publishCallback(mosquitto *, void *self, int mid)
{
    auto *session = static_cast<MqttSession *>(self);
    if (session->onPublished)
        session->onPublished(mid);
}

void MqttSession::logCallback(mosquitto *, void *self, int level, const char *text)
{
    if (level & (MOSQ_LOG_ERR | MOSQ_LOG_WARNING)) {
        QString line = QString::fromUtf8(text);
        // OpenSSL's lines read "OpenSSL Error[0]: error:0A000086:SSL routines::<reason>".
        const int reason = line.lastIndexOf(QLatin1String("::"));
        if (reason >= 0)
            line = line.mid(reason + 2);
        static_cast<MqttSession *>(self)->m_lastLibraryError = line;
        qCDebug(lcLabLink).noquote() << "libmosquitto:" << text;
    }
}

QString probeBroker(const LinkSettings &settings, int timeoutMs)
{
    MqttSession session;
    const QString error = session.open(settings, QByteArray(), timeoutMs);
    session.close();
    return error;
}

} // namespace lablink
