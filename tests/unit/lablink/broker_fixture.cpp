#include "tests/unit/lablink/broker_fixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

int freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

Broker::Broker(const BrokerOptions &options) : m_options(options), m_port(freePort()) {}

Broker::~Broker()
{
    stop();
}

QString Broker::log() const
{
    QFile file(m_dir.filePath("broker.log"));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

bool Broker::start()
{
    QStringList config{QStringLiteral("listener %1 127.0.0.1").arg(m_port), "persistence false",
                       "log_dest file " + m_dir.filePath("broker.log"), "log_type all"};
    // Started as root the broker would become "mosquitto" and lose its files in this folder.
    if (geteuid() == 0)
        config << "user root";
    if (!m_options.passwordUser.isEmpty()) {
        const QString file = m_dir.filePath("passwords");
        if (QProcess::execute("mosquitto_passwd",
                              {"-b", "-c", file, m_options.passwordUser, m_options.password}) != 0)
            return false;
        config << "allow_anonymous false"
               << "password_file " + file;
    } else {
        config << "allow_anonymous true";
    }
    if (!m_options.certFile.isEmpty())
        config << "cafile " + m_options.caFile << "certfile " + m_options.certFile
               << "keyfile " + m_options.keyFile;
    QFile file(m_dir.filePath("mosquitto.conf"));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(config.join('\n').toUtf8() + '\n');
    file.close();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start("mosquitto", {"-c", file.fileName()});
    if (!m_process->waitForStarted(5000))
        return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, quint16(m_port));
        if (probe.waitForConnected(200))
            return true;
        if (m_process->state() != QProcess::Running)
            return false;
        QTest::qWait(50);
    }
    return false;
}

void Broker::stop()
{
    if (!m_process)
        return;
    m_process->terminate();
    if (!m_process->waitForFinished(5000)) {
        m_process->kill();
        m_process->waitForFinished(2000);
    }
    m_process.reset();
}

Subscriber::Subscriber(int port, const QString &topic, const QStringList &extra)
{
    m_port = port;
    QStringList args{"-h", "127.0.0.1", "-p", QString::number(port),
                     "-t", topic,       "-t", QString(kReadyTopic),
                     "-v", "-q",        "1"};
    m_process.start("mosquitto_sub", args + extra);
}

Subscriber::~Subscriber()
{
    m_process.kill();
    m_process.waitForFinished(2000);
}

bool Subscriber::waitReady()
{
    // Subscribed once a message of our own comes back.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        QProcess::execute("mosquitto_pub", {"-h", "127.0.0.1", "-p", QString::number(m_port), "-t",
                                            QString(kReadyTopic), "-m", "ready"});
        m_process.waitForReadyRead(200);
        for (const auto &m : messages()) {
            if (m.first == kReadyTopic)
                return true;
        }
    }
    return false;
}

QList<QPair<QString, QByteArray>> Subscriber::messages()
{
    m_buffer += m_process.readAllStandardOutput();
    int end;
    while ((end = m_buffer.indexOf('\n')) >= 0) {
        const QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        const int space = line.indexOf(' ');
        if (space > 0)
            m_messages.append({QString::fromUtf8(line.left(space)), line.mid(space + 1)});
    }
    return m_messages;
}

QList<QByteArray> Subscriber::payloadsOn(const QString &topic)
{
    QList<QByteArray> out;
    for (const auto &m : messages()) {
        if (m.first == topic)
            out << m.second;
    }
    return out;
}

QByteArray retainedMessage(int port, const QString &topic, int timeoutMs)
{
    QProcess sub;
    sub.start("mosquitto_sub",
              {"-h", "127.0.0.1", "-p", QString::number(port), "-t", topic, "-C", "1", "-W",
               QString::number(qMax(1, timeoutMs / 1000)), "--retained-only"});
    sub.waitForFinished(timeoutMs + 2000);
    return sub.readAllStandardOutput().trimmed();
}

UnreachableBroker::UnreachableBroker()
{
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    m_sockets.append(listener);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        listen(listener, 0) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return;
    // A backlog of 0 still takes one connection; the others fill what is left.
    for (int i = 0; i < 4; ++i) {
        const int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        m_sockets.append(filler);
        ::connect(filler, reinterpret_cast<sockaddr *>(&address), sizeof address);
    }
    QThread::msleep(200); // until the fillers' handshakes are done or dropped
    m_port = ntohs(address.sin_port);
}

UnreachableBroker::~UnreachableBroker()
{
    for (int fd : m_sockets)
        if (fd >= 0)
            ::close(fd);
}
