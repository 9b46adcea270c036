#pragma once
// One connection to the broker over libmosquitto, driven by the thread that owns it: open (with
// the will, TLS and login), network rounds, publishing, a clean close. Failures come back as
// words a user can act on ("connection refused", "not authorised", the TLS error), never codes.

#include "lablink/link_settings.h"

#include <QByteArray>
#include <QString>

#include <functional>

struct mosquitto;

namespace lablink {

class MqttSession
{
public:
    MqttSession();
    ~MqttSession();
    MqttSession(const MqttSession &) = delete;
    MqttSession &operator=(const MqttSession &) = delete;

    // Connects and waits up to timeoutMs for the broker's answer, giving up early once
    // `abandoned` says so. Empty on success; otherwise what went wrong. The will publishes
    // "offline", retained, on willTopic (none if empty). Only the name look-up blocks; the
    // connection itself is made in network rounds of at most 100 ms.
    QString open(const LinkSettings &settings, const QByteArray &willTopic, int timeoutMs,
                 const std::function<bool()> &abandoned = {});
    bool isOpen() const { return m_handle != nullptr && m_accepted; }

    // One round of network traffic, waiting at most timeoutMs for the socket, or less when
    // wakeFd (an eventfd, if given) becomes readable; its count is then taken. False once the
    // connection is lost; lastError() then says why.
    bool service(int timeoutMs, int wakeFd = -1);
    // True while earlier packets still wait for the socket.
    bool backlogged() const;

    // The message id, or -1 when it could not be queued.
    int publish(const QByteArray &topic, const QByteArray &payload, int qos, bool retain);
    void close();

    QString lastError() const { return m_lastError; }
    // Called from service() when the broker has acknowledged (QoS 1) or the socket took (QoS 0)
    // the message with this id.
    std::function<void(int)> onPublished;

private:
    static void connectCallback(mosquitto *, void *self, int rc);
    static void disconnectCallback(mosquitto *, void *self, int rc);
    static void publishCallback(mosquitto *, void *self, int mid);
    static void logCallback(mosquitto *, void *self, int level, const char *text);
    QString describe(int rc) const;
    void release();

    mosquitto *m_handle = nullptr;
    bool m_answered = false; // the broker answered the connect
    bool m_accepted = false;
    QString m_lastError;
    QString m_lastLibraryError; // the library's last error line, e.g. OpenSSL's reason
};

// The settings dialog's test: connect, wait for the answer, disconnect. "" on success.
QString probeBroker(const LinkSettings &settings, int timeoutMs);

} // namespace lablink
