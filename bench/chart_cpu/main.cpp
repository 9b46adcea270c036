// CPU time of the whole program as a share of one core: first idle on the home page, then on the
// display page with a run recording (one chart sample and one row a second), against the
// simulated instrument, offscreen, with the program's own event loop.

#include "record/local_zone.h"
#include "app/main_dialog.h"
#include "record/recorder.h"
#include "settings/settings_file.h"
#include "sim/simulated_bus.h"
#include "tests/support/temp_workdir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtCharts/QChartView>

#include <cstdio>
#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Counts the chart's repaints, to show that the chart is drawn while measured.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Percent of one core over `seconds` of the plain event loop.
double measure(int seconds)
{
    QElapsedTimer wall;
    wall.start();
    const double before = processCpuSeconds();
    runEventLoop(seconds * 1000);
    return 100.0 * (processCpuSeconds() - before) / (wall.nsecsElapsed() / 1e9);
}

} // namespace

int main(int argc, char *argv[])
{
    const LocalZonePin localZone; // as the program runs
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLoggingCategory::setFilterRules("*.debug=false\n*.info=false");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;

    const TempWorkDir folder; // the settings file and the recorded files land here, not the user's
    SettingsFile().write("save_path", folder.path() + "/Data");

    sim::BusConfig config;
    sim::SimulatedBus bus(config);
    hid::setBackend(&bus);
    {
        MainDialog dialog;
        dialog.show();
        auto *pages = dialog.findChild<QStackedWidget *>("disp_stackedWidget");
        (void)QTest::qWaitFor([&] { return pages->currentIndex() != 8; }, 10000); // identified
        runEventLoop(3000); // the bus scan ends

        const double home = measure(seconds);

        dialog.findChild<QAbstractButton *>("tbtn3")->click();
        int rows = 0;
        QObject::connect(&dialog.recorder(), &Recorder::rowRecorded, [&] { ++rows; });
        dialog.findChild<QAbstractButton *>("disp_Btn_Run")->click();
        (void)QTest::qWaitFor([&] { return rows > 0; }, 5000);
        runEventLoop(3000);
        const int rowsBefore = rows;
        PaintCounter painted;
        auto *view = dialog.findChild<QtCharts::QChartView *>();
        if (view)
            view->viewport()->installEventFilter(&painted);
        const double chart = measure(seconds);
        std::printf("home page, idle:            %6.2f %% of one core (%d s)\n", home, seconds);
        std::printf("display page, recording:    %6.2f %% of one core (%d s, %d rows, %d chart "
                    "paints)\n",
                    chart, seconds, rows - rowsBefore, painted.paints);
        std::printf("recording chart page over idle home page: %.2f\n",
                    home > 0 ? chart / home : 0);
        dialog.findChild<QAbstractButton *>("disp_Btn_Run")->click(); // stop and save the run
        runEventLoop(1000);
    }
    hid::setBackend(nullptr);
    return 0;
}
