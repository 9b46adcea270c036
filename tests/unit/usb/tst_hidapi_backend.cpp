// The real hidapi backend, without a device: failed opens and enumerations from two threads at
// once, as the GUI thread and the connection watcher make them. hidapi keeps one process-wide
// error string that each of these calls replaces, so they must not overlap.

#include "usb/hidapi_backend.h"

#include <QtTest>

#include <atomic>
#include <thread>

class TstHidapiBackend : public QObject
{
    Q_OBJECT
private slots:
    void failedOpensFromTwoThreadsDoNotCollide()
    {
        hid::HidapiBackend backend;
        std::atomic<int> opened{0};
        auto hammer = [&backend, &opened] {
            for (int i = 0; i < 400; ++i) {
                // A product nobody makes: every open fails, every enumeration is empty.
                if (backend.open(0x0483, 0x57FF, i % 2 ? QString() : QStringLiteral("X1")))
                    ++opened;
                backend.enumerate(0x0483, 0x57FF);
            }
        };
        std::thread watcher(hammer);
        hammer();
        watcher.join();
        QCOMPARE(opened.load(), 0);
        QVERIFY(!backend.lastOpenError().isEmpty());
        QVERIFY(!backend.lastOpenDeniedPermission());
    }
};

QTEST_GUILESS_MAIN(TstHidapiBackend)
#include "tst_hidapi_backend.moc"
