#pragma once
// A real broker for the lab link's tests: Debian's mosquitto on a free local port, configured in
// a temporary folder (optionally with a login and a TLS listener), and mosquitto_sub as the
// reader of what was published.

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

struct BrokerOptions
{
    QString passwordUser; // with a password: anonymous clients are refused
    QString password;
    QString caFile, certFile, keyFile; // all three: a TLS listener
};

class Broker
{
public:
    explicit Broker(const BrokerOptions &options = {});
    ~Broker();
    bool start(); // on the port chosen at construction, waits until it listens
    void stop();  // SIGTERM and wait
    int port() const { return m_port; }
    QString folder() const { return m_dir.path(); }
    QString log() const;

private:
    QTemporaryDir m_dir;
    BrokerOptions m_options;
    int m_port = 0;
    std::unique_ptr<QProcess> m_process;
};

// Reads "topic payload" lines from mosquitto_sub until stopped.
class Subscriber
{
public:
    Subscriber(int port, const QString &topic, const QStringList &extra = {});
    ~Subscriber();
    bool waitReady();
    // Messages so far, in arrival order; each is (topic, payload).
    QList<QPair<QString, QByteArray>> messages();
    QList<QByteArray> payloadsOn(const QString &topic);

private:
    static constexpr const char *kReadyTopic = "test/ready";
    QProcess m_process;
    int m_port = 0;
    QByteArray m_buffer;
    QList<QPair<QString, QByteArray>> m_messages;
};

// Waits up to timeoutMs for one retained message on the topic; empty if none.
QByteArray retainedMessage(int port, const QString &topic, int timeoutMs = 3000);

int freePort();

// A local listener that never accepts, its backlog already full: a connect to it gets no answer
// and, made blocking, hangs for minutes, like a broker behind a dead route.
class UnreachableBroker
{
public:
    UnreachableBroker();
    ~UnreachableBroker();
    UnreachableBroker(const UnreachableBroker &) = delete;
    UnreachableBroker &operator=(const UnreachableBroker &) = delete;
    int port() const { return m_port; } // 0 if it could not be set up

private:
    QList<int> m_sockets;
    int m_port = 0;
};
