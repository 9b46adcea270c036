// Prints the lab link's figures; never fails on timing. Starts its own mosquitto on a free port.
//   1. The caller's (GUI thread's) cost of handing one sample to a connected publisher: p50,
//      p99, max over 20,000 samples.
//   2. 100 publishers (simulated instruments) at 2 samples a second from one process, for
//      LABLINK_BENCH_SECONDS (default 60), then at least 90 s with the broker gone: resident
//      memory over time, readings dropped, queue lengths.
//   3. An unreachable broker (a listener whose backlog is full, so that a connect hangs): the
//      link stopped and restarted ten times; the longest the caller's (GUI) thread was blocked,
//      by the calls and by its event loop, and how long the publisher's destruction (at exit)
//      waited. `bench_lablink_publish restarts` runs this part alone.

#include "bench/support/bench_broker.h"
#include "lablink/publisher.h"
#include "tests/unit/lablink/broker_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

using namespace lablink;

namespace {

long residentKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

Reading sample(int n)
{
    Reading r;
    r.time = QDateTime::currentDateTime();
    for (int i = 0; i < proto::kQuantityCount; ++i)
        r.values[size_t(i)] = float(n + i) * 0.125f;
    r.loadOn = true;
    return r;
}

void waitConnected(const std::vector<std::unique_ptr<Publisher>> &publishers)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 30000) {
        QCoreApplication::processEvents();
        if (std::all_of(publishers.begin(), publishers.end(),
                        [](const auto &p) { return p->isConnected(); }))
            return;
        QThread::msleep(20);
    }
    std::printf("not all publishers connected\n");
}

// Every publisher gets a sample each 500 ms for the given time; prints memory every tenth.
void drive(std::vector<std::unique_ptr<Publisher>> &publishers, int seconds, const char *phase)
{
    QElapsedTimer clock;
    clock.start();
    int n = 0;
    const qint64 end = qint64(seconds) * 1000;
    while (clock.elapsed() < end) {
        for (auto &p : publishers)
            p->publishReading(sample(n));
        ++n;
        QCoreApplication::processEvents(); // the publishers' status reports, as a window takes them
        if (n % (seconds * 2 / 10 > 0 ? seconds * 2 / 10 : 1) == 0) {
            quint64 dropped = 0;
            int queued = 0;
            for (auto &p : publishers)
                dropped += p->droppedReadings(), queued += p->queuedReadings();
            std::printf("%-12s t=%4llds rss=%6ld kB queued=%6d dropped=%8llu\n", phase,
                        clock.elapsed() / 1000, residentKb(), queued, (unsigned long long)dropped);
            std::fflush(stdout);
        }
        QThread::msleep(quint64(std::max<qint64>(0, qint64(n) * 500 - clock.elapsed())));
    }
}

LinkSettings localLink(int port)
{
    LinkSettings settings;
    settings.enabled = true;
    settings.host = "127.0.0.1";
    settings.port = port;
    settings.prefix = "bench";
    return settings;
}

void restartsAgainstUnreachableBroker()
{
    const UnreachableBroker unreachable;
    const LinkSettings settings = localLink(unreachable.port());

    // The event loop's longest gap between 1 ms ticks: how long the thread could not react.
    QElapsedTimer sinceTick;
    qint64 longestGapMs = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestGapMs = std::max(longestGapMs, sinceTick.elapsed());
        sinceTick.restart();
    });
    const auto runEventsFor = [](int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    };
    auto publisher = std::make_unique<Publisher>();
    double longestCallMs = 0;
    const auto timed = [&](auto call) {
        QElapsedTimer t;
        t.start();
        call();
        longestCallMs = std::max(longestCallMs, t.nsecsElapsed() / 1e6);
    };
    sinceTick.start();
    tick.start(1);
    timed([&] { publisher->start(settings, "unreachable"); });
    for (int i = 0; i < 10; ++i) {
        runEventsFor(500); // the connection now waits on the full backlog
        timed([&] { publisher->stop(); });
        runEventsFor(50);
        timed([&] { publisher->start(settings, "unreachable"); });
    }
    runEventsFor(500);
    tick.stop();
    QElapsedTimer destroy;
    destroy.start();
    publisher.reset(); // as at exit
    std::printf("unreachable broker, 10 stops and restarts: longest call %.2f ms, longest event-loop "
                "gap %lld ms; destruction (exit) waited %.2f ms\n",
                longestCallMs, longestGapMs, destroy.nsecsElapsed() / 1e6);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    restartsAgainstUnreachableBroker();
    if (argc > 1 && QByteArray(argv[1]) == "restarts")
        return 0;
    QTemporaryDir dir;
    const int port = freePort();
    auto broker = startBenchBroker(dir, port);
    const LinkSettings settings = localLink(port);

    {
        Publisher one;
        one.start(settings, "cost");
        QElapsedTimer waited;
        waited.start();
        while (!one.isConnected() && waited.elapsed() < 10000)
            QThread::msleep(10);
        std::vector<double> ms;
        constexpr int kSamples = 20000;
        ms.reserve(kSamples);
        for (int n = 0; n < kSamples; ++n) {
            QElapsedTimer t;
            t.start();
            one.publishReading(sample(n)); // the sample's time stamp included, as the dialog does
            ms.push_back(t.nsecsElapsed() / 1e6);
            if (n % 100 == 0)
                QThread::msleep(1); // let the publisher drain, as between real samples
        }
        std::sort(ms.begin(), ms.end());
        std::printf("caller cost per sample (ms): p50 %.4f  p99 %.4f  max %.4f  (%d samples)\n",
                    ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back(), kSamples);
    }

    const int seconds = qEnvironmentVariableIntValue("LABLINK_BENCH_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("LABLINK_BENCH_SECONDS")
                            : 60;
    std::vector<std::unique_ptr<Publisher>> publishers;
    const long before = residentKb();
    for (int i = 0; i < 100; ++i) {
        publishers.push_back(std::make_unique<Publisher>());
        publishers.back()->start(settings, QStringLiteral("SIM%1").arg(i, 3, 10, QChar('0')));
    }
    waitConnected(publishers);
    std::printf("100 publishers: rss before %ld kB, connected %ld kB\n", before, residentKb());
    drive(publishers, seconds, "broker up");
    broker->terminate();
    broker->waitForFinished();
    // Long enough for every queue to reach its bound (120 readings = 60 s) and stay there.
    drive(publishers, std::max(seconds, 90), "broker gone");
    std::printf("bound: %d readings x 100 publishers queued at most\n",
                Publisher::kReadingCapacity);
    publishers.clear();
    return 0;
}
