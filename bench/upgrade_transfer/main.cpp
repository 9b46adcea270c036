// Sends a firmware image to the simulated loader on a full-speed link (one 64-byte report per
// 1 ms each way) through the real main dialog, watcher and upgrade page, and prints the transfer
// time (handshake accepted to "all data received") against packets x 2 ms. Runs the watcher as
// built, then with its read slices set back to 50 ms, then that without the read hand-over.

#include "firmware_page.h"
#include "main_dialog.h"
#include "my_thread.h"
#include "simulated_bus.h"
#include "usb_thread.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <cstdio>
#include <memory>
#include <sys/prctl.h>

namespace {

struct Watcher
{
    const char *name;
    int busySliceMs;
    int idleSliceMs;
    bool handOver;
    // Timer slack of the threads (Linux default 50 us). The simulator models the link with timed
    // waits, which the default slack makes late by up to 50 us per report; a real device wakes
    // the watcher's read by interrupt. 1 us shows the program's own share.
    unsigned long slackNs;
};

struct Result
{
    double seconds = -1;
    QString speedLine;
    bool imageIntact = false;
};

Result runOnce(const Watcher &watcher, int packets, const QString &folder)
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
    const QString path = folder + "/bench.bin";
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(image);
    file.close();

    Result result;
    prctl(PR_SET_TIMERSLACK, watcher.slackNs); // inherited by the threads the dialog starts
    {
        MainDialog dialog;
        dialog.show();
        auto *usb = dialog.findChild<USBThread *>();
        usb->setReadSlices(watcher.busySliceMs, watcher.idleSliceMs);
        usb->setHandOver(watcher.handOver);
        auto *pages = dialog.findChild<QStackedWidget *>("disp_stackedWidget");
        (void)QTest::qWaitFor([&] { return pages->currentIndex() != 8; }, 10000); // identified
        (void)QTest::qWaitFor([&] { return usb->isDeviceOpen(); }, 5000);
        dialog.findChild<QAbstractButton *>("tbtn1")->click();
        auto *page = dialog.findChild<FirmwarePage *>();
        page->loadImage(path);

        QElapsedTimer clock;
        qint64 startNs = -1, endNs = -1;
        QObject::connect(&page->transfer(), &UpgradeTransfer::stateChanged,
                         [&](UpgradeTransfer::State s) {
                             if (s == UpgradeTransfer::State::Transferring)
                                 startNs = clock.nsecsElapsed();
                             else if (s == UpgradeTransfer::State::WaitingForProgramming)
                                 endNs = clock.nsecsElapsed();
                         });
        clock.start();
        dialog.findChild<QAbstractButton *>("upgrade_pushButton_start")->click();
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
        result.imageIntact = bus.loaderImage() == image &&
                             page->transfer().state() == UpgradeTransfer::State::Finished;
    }
    hid::setBackend(nullptr);
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");

    QLoggingCategory::setFilterRules("*.debug=false\n*.info=false");
    QApplication app(argc, argv);
    const int packets = argc > 1 ? std::max(2, atoi(argv[1])) : 17656;
    const int slowPackets = std::min(packets, argc > 2 ? std::max(2, atoi(argv[2])) : 500);

    QTemporaryDir folder;
    QDir::setCurrent(folder.path()); // the settings file of the run lands here
    my_thread::setPacing(60, 25);
    FirmwarePage::setLoaderEntryWaitMs(3000);

    const Watcher watchers[] = {
        {"as built, link on time", 2, 50, true, 1000},
        {"as built, default timer slack", 2, 50, true, 50000},
        {"read slices 50 ms", 50, 50, true, 1000},
        {"read slices 2 ms, no hand-over", 2, 50, false, 1000},
        {"read slices 50 ms, no hand-over", 50, 50, false, 1000},
    };
    std::printf("%-34s %8s %10s %10s %8s  %s\n", "watcher", "packets", "transfer_s", "limit_s",
                "ratio", "page speed line / image");
    for (const Watcher &w : watchers) {
        const int n = w.handOver ? packets : slowPackets;
        const Result r = runOnce(w, n, folder.path());
        const double limit = n * 0.002;
        std::printf("%-34s %8d %10.3f %10.3f %8.3f  %s / %s\n", w.name, n, r.seconds, limit,
                    r.seconds / limit, qPrintable(r.speedLine),
                    r.imageIntact ? "intact" : "NOT INTACT");
        std::fflush(stdout);
    }
    return 0;
}
