// Prints the lab link's delivery figure for 16 instruments: each has its own publisher and
// connection, as the program gives every instrument (whether each has a core of its own or
// several share a cable), and gets a reading a second stamped with the time it was sampled;
// mosquitto_sub stamps each arrival. LABLINK_BENCH_TOGETHER=n queues the readings of n
// instruments at the same moment, as a cable's poll cycle brings them (a cable holds up to ten;
// 16 is the worst case); the default, 1, spreads them over the second, as separate cores do.
// Never fails on timing. Starts its own mosquitto.

#include "bench/support/bench_broker.h"
#include "lablink/publisher.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

using namespace lablink;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    constexpr int kInstruments = 16;
    const int seconds = qEnvironmentVariableIntValue("LABLINK_BENCH_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("LABLINK_BENCH_SECONDS")
                            : 30;
    QTemporaryDir dir;
    const int port = 20000 + int(getpid() % 20000);
    const std::unique_ptr<QProcess> broker = startBenchBroker(dir, port);
    QProcess sub;
    sub.setStandardOutputFile(dir.filePath("arrivals.txt")); // a pipe nobody reads would stall it
    sub.start("mosquitto_sub",
              {"-h", "127.0.0.1", "-p", QString::number(port), "-t", "bench/+/reading", "-F",
               "%U %p", "-C", QString::number(seconds * kInstruments), "-W",
               QString::number(seconds + 15)});
    sub.waitForStarted();
    QThread::msleep(500);

    LinkSettings settings;
    settings.enabled = true;
    settings.host = "127.0.0.1";
    settings.port = port;
    settings.prefix = "bench";
    settings.discovery = false;
    std::vector<std::unique_ptr<Publisher>> publishers;
    for (int i = 0; i < kInstruments; ++i) {
        publishers.push_back(std::make_unique<Publisher>());
        publishers.back()->start(settings, QStringLiteral("SIM-%1").arg(i + 1));
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && !std::all_of(publishers.begin(), publishers.end(),
                                                   [](const auto &p) { return p->isConnected(); }))
        QThread::msleep(20);

    // The instruments' samples fall at different moments of each second, as their cycles do,
    // or in groups that share a cycle.
    const int together =
        std::clamp(qEnvironmentVariableIntValue("LABLINK_BENCH_TOGETHER"), 1, kInstruments);
    int sent = 0;
    clock.restart();
    for (int tick = 0; tick < seconds * kInstruments; ++tick) {
        const qint64 due = qint64(tick / together) * together * 1000 / kInstruments;
        QThread::msleep(quint64(std::max<qint64>(0, due - clock.elapsed())));
        Reading reading;
        reading.time = QDateTime::currentDateTime();
        reading.family = proto::Hk07Family;
        reading.values[0] = 4.1f;
        publishers[size_t(tick % kInstruments)]->publishReading(reading);
        ++sent;
    }
    QThread::msleep(1000);
    publishers.clear();
    sub.waitForFinished(15000); // it ends after the last reading (or the time-out), flushed
    broker->terminate();
    broker->waitForFinished();

    std::vector<double> latencies;
    QFile arrivals(dir.filePath("arrivals.txt"));
    arrivals.open(QIODevice::ReadOnly);
    for (const QByteArray &line : arrivals.readAll().split('\n')) {
        const int space = line.indexOf(' ');
        if (space <= 0)
            continue;
        const double arrived = line.left(space).toDouble() * 1000.0;
        const QJsonObject json = QJsonDocument::fromJson(line.mid(space + 1)).object();
        const QDateTime sampled =
            QDateTime::fromString(json.value("time").toString(), Qt::ISODateWithMs);
        if (sampled.isValid())
            latencies.push_back(arrived - double(sampled.toMSecsSinceEpoch()));
        if (qEnvironmentVariableIsSet("LABLINK_BENCH_TRACE"))
            std::printf("%.0f %s\n", latencies.back(), line.mid(space + 1, 40).constData());
    }
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty()) {
        std::printf("no reading arrived\n");
        return 1;
    }
    std::printf("%d instruments (%d at a time), %d s: %d readings sent, %zu delivered (%.1f per "
                "second)\n",
                kInstruments, together, seconds, sent, latencies.size(),
                double(latencies.size()) / seconds);
    std::printf("sample to subscriber (ms): p50 %.1f  p99 %.1f  max %.1f\n",
                latencies[latencies.size() / 2], latencies[latencies.size() * 99 / 100],
                latencies.back());
    return 0;
}
