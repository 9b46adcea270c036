// Sends a firmware image to the simulated loader on a full-speed link (one 64-byte report per
// 1 ms frame each way; a packet and its acknowledgement take two frames) through the real main dialog, watcher and upgrade page, and prints the transfer
// time (handshake accepted to "all data received") against the link's own limit, packets x 2 ms.
// Five runs alone and five beside one busy process (a shell loop this benchmark starts and kills),
// interleaved; prints each run and both medians as ratios to the limit, and how long the program
// took from an acknowledgement being readable to its next packet (median and 99th percentile):
// whatever of that exceeds what is left of the frame costs a whole frame.

#include "ui/firmware_page.h"
#include "app/main_dialog.h"
#include "usb/scan_pacer.h"
#include "sim/simulated_bus.h"
#include "usb/connection_watcher.h"
#include "tests/support/temp_workdir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Result
{
    double seconds = -1;
    QString speedLine;
    bool imageIntact = false;
    QVector<double> answerDelays;
};

Result runOnce(int packets, const QString &folder)
{
    sim::BusConfig config;
    QString error;
    sim::parseDemoOption("fullspeed=1", config, &error);
    sim::SimulatedBus bus(config);
    bus.setProgrammingSeconds(0.1);
    hid::setBackend(&bus);

    QByteArray image(packets * 58 - 48, '\0'); // 17656 packets: 1,024,000 bytes, the largest
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 131 + 7) & 0xFF);
    image.replace(0, 8, QByteArray::fromHex("0050002045410008")); // stack top, reset handler
    const QString path = folder + "/bench.bin";
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(image);
    file.close();

    Result result;
    {
        MainDialog dialog;
        dialog.show();
        auto *usb = dialog.findChild<ConnectionWatcher *>();
        auto *pages = dialog.findChild<QStackedWidget *>("disp_stackedWidget");
        (void)QTest::qWaitFor([&] { return pages->currentIndex() != 8; }, 10000); // identified
        (void)QTest::qWaitFor([&] { return usb->isDeviceOpen(); }, 5000);
        dialog.findChild<QAbstractButton *>("tbtn1")->click();
        auto *page = dialog.findChild<FirmwarePage *>();
        page->loadImage(path);

        QElapsedTimer clock;
        qint64 startNs = -1, endNs = -1;
        // Queued from the watcher thread: both ends are seen equally late on the GUI thread.
        QObject::connect(&page->transfer(), &UpgradeTransfer::stateChanged,
                         [&](UpgradeTransfer::State s) {
                             if (s == UpgradeTransfer::State::Transferring)
                                 startNs = clock.nsecsElapsed();
                             else if (s == UpgradeTransfer::State::WaitingForProgramming)
                                 endNs = clock.nsecsElapsed();
                         });
        clock.start();
        page->beginUpgrade(); // as the start button does once the user has confirmed
        // A plain event loop, as the program runs: the test helpers' waits sleep between turns.
        QEventLoop loop;
        QObject::connect(&page->transfer(), &UpgradeTransfer::activeChanged, &loop,
                         [&](bool active) {
                             if (!active)
                                 loop.quit();
                         });
        loop.exec();
        if (startNs >= 0 && endNs > startNs)
            result.seconds = (endNs - startNs) / 1e9;
        const QStringList log =
            dialog.findChild<QTextBrowser *>("upgrade_text_log")->toPlainText().split('\n');
        const int done = log.indexOf(QStringLiteral("传输完成..."));
        result.speedLine = log.value(done + 2);
        result.answerDelays = bus.answerDelays();
        result.imageIntact = bus.loaderImage() == image &&
                             page->transfer().state() == UpgradeTransfer::State::Finished;
    }
    hid::setBackend(nullptr);
    return result;
}

double quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[std::min(v.size() - 1, size_t(q * v.size()))];
}

double median(std::vector<double> v)
{
    return quantile(std::move(v), 0.5);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");

    QLoggingCategory::setFilterRules("*.debug=false\n*.info=false");
    QApplication app(argc, argv);
    const int packets = argc > 1 ? std::max(2, atoi(argv[1])) : 5000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;

    const TempWorkDir folder; // the settings file of the run lands here, not in the user's
    ScanPacer::setPacing(60, 25);
    FirmwarePage::setLoaderEntryWaitMs(200); // not part of the transfer time

    const double limit = packets * 0.002;
    std::vector<double> alone, busy;
    std::printf("%-6s %4s %8s %10s %10s %8s %16s  %s\n", "run", "#", "packets", "transfer_s",
                "limit_s", "ratio", "answer_us p50/99", "page speed line / image");
    for (int i = 0; i < runs; ++i) {
        for (bool beside : {false, true}) {
            QProcess hog;
            if (beside) {
                hog.start("sh", {"-c", "while :; do :; done"});
                hog.waitForStarted();
            }
            const Result r = runOnce(packets, folder.path());
            if (beside) {
                hog.kill();
                hog.waitForFinished();
            }
            (beside ? busy : alone).push_back(r.seconds / limit);
            const std::vector<double> delays(r.answerDelays.begin(), r.answerDelays.end());
            std::printf("%-6s %4d %8d %10.3f %10.3f %8.3f %7.0f / %6.0f  %s / %s\n",
                        beside ? "busy" : "alone", i + 1, packets, r.seconds, limit,
                        r.seconds / limit, median(delays), quantile(delays, 0.99),
                        qPrintable(r.speedLine), r.imageIntact ? "intact" : "NOT INTACT");
            std::fflush(stdout);
        }
    }
    std::printf("median of %d over the link's limit: alone %.3f, beside a busy process %.3f\n",
                runs, median(alone), median(busy));
    return 0;
}
