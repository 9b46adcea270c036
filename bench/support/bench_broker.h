#pragma once
// A mosquitto for the lab link's benchmarks: anonymous, on 127.0.0.1:port, configured in `dir`;
// returns once it accepts connections (or after five seconds).

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

#include <unistd.h>

inline std::unique_ptr<QProcess> startBenchBroker(const QTemporaryDir &dir, int port)
{
    QFile conf(dir.filePath("mosquitto.conf"));
    conf.open(QIODevice::WriteOnly);
    conf.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n"
                              "log_dest none\n%2")
                   .arg(port)
                   .arg(geteuid() == 0 ? "user root\n" : "")
                   .toUtf8());
    conf.close();
    auto broker = std::make_unique<QProcess>();
    broker->start("mosquitto", {"-c", conf.fileName()});
    broker->waitForStarted();
    for (int i = 0; i < 100; ++i) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (probe.waitForConnected(100))
            break;
        QThread::msleep(50);
    }
    return broker;
}
