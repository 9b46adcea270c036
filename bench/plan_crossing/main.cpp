// Test plans on the simulated instrument, polled every 500 ms as the program always polls.
//
// Default: one plan of N steps "Discharge at 1 A until V", each limit a little below the last, so
// that the battery (on a faster simulated clock) crosses one about every S wall seconds. At the
// HID seam it takes, per step, the read of the first measurement report whose voltage crossed the
// limit and the next frame that ends the step (the next set-point, or the stop after the last),
// and prints that delay's p50, p99 and max; also from the poll request that report answered, as
// the report lay in the input queue until the next cycle read it.
//
// --resistance [seeds]: "Measure resistance at 0.2 A for 10 s then 1 A for 1 s" against batteries
// of three internal resistances, each with a few noise seeds; prints measured, set and the error.

#include "acquire/instrument_core.h"
#include "acquire/plan_runner.h"
#include "acquire/test_plan.h"
#include "protocol/codes.h"
#include "settings/settings_file.h"
#include "sim/demo_option.h"
#include "sim/simulated_bus.h"
#include "sim/source_model.h"
#include "tests/support/temp_workdir.h"
#include "usb/scan_pacer.h"
#include "wire_tap.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kAmps = 1.0;
constexpr double kOhms = 0.05;
constexpr double kCapacityMah = 100;

// Runs the event loop until `signal` of `sender` or `seconds` pass; false on the timeout.
template <typename Sender, typename Signal> bool waitFor(Sender *sender, Signal signal, int seconds)
{
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, [&loop] { loop.exit(1); });
    QObject::connect(sender, signal, &loop, [&loop] { loop.exit(0); });
    return loop.exec() == 0;
}

// Runs `plan` on a bus described by `demo`, seen through a tap; the ended steps' results.
QVector<QJsonObject> runPlan(const QString &demo, const plan::Plan &plan,
                             std::vector<WireEvent> *wire)
{
    TempWorkDir workDir;
    qputenv("XDG_DATA_HOME", QFile::encodeName(workDir.file("xdg-data")));
    SettingsFile().write("save_path", workDir.file("Data"));
    sim::BusConfig config;
    QString error;
    if (!sim::parseDemoOption(demo, config, &error))
        qFatal("%s", qPrintable(error));
    sim::SimulatedBus bus(config);
    WireTap tap(bus);
    hid::setBackend(&tap);
    ScanPacer::setPacing(60, 25); // a quick bus scan; the poll cycle stays 500 ms

    QVector<QJsonObject> steps;
    {
        acquire::InstrumentCore core;
        acquire::PlanRunner &runner = core.plans();
        QObject::connect(&runner, &acquire::PlanRunner::stepEnded,
                         [&steps](const QJsonObject &step) { steps << step; });
        core.start();
        if (!waitFor(&core, &acquire::InstrumentCore::identified, 10))
            qFatal("the simulated instrument was not identified");
        if (!runner.start(plan, &error))
            qFatal("plan refused: %s", qPrintable(error));
        if (!waitFor(&runner, &acquire::PlanRunner::finished, 3600))
            qFatal("the plan did not end");
        core.stopWorkers();
    }
    hid::setBackend(nullptr);
    if (wire)
        *wire = tap.events();
    return steps;
}

struct Delays
{
    std::vector<double> fromRead, fromRequest; // ms
    int unmatched = 0;                         // steps that ended with no crossing seen
};

// Walks the link's handle (the one that wrote the set-points; the watcher reads copies on its
// own): after the first set-point, step k's crossing is its first measurement report with the
// load on at or below limits[k]; its end is the next set-point or stop frame.
Delays crossingDelays(const std::vector<WireEvent> &wire, const std::vector<double> &limits)
{
    const auto first = std::find_if(wire.begin(), wire.end(), [](const WireEvent &e) {
        return e.written && e.command == proto::CmdSetPoint;
    });
    Delays out;
    if (first == wire.end())
        return out;
    size_t step = 0;
    qint64 crossedAt = -1, requestedAt = -1, lastRequest = -1;
    for (auto e = first + 1; e != wire.end() && step < limits.size(); ++e) {
        if (e->handle != first->handle)
            continue;
        if (!e->written) {
            if (crossedAt < 0 && e->measurement && e->loadOn && e->volts <= limits[step]) {
                crossedAt = e->ns;
                requestedAt = lastRequest;
            }
            continue;
        }
        if (e->command == proto::CmdMeasurementRequest)
            lastRequest = e->ns;
        const bool ends = e->command == proto::CmdSetPoint ||
                          (e->command == proto::CmdRunStop && e->argument == proto::kRunStop);
        if (!ends)
            continue;
        if (crossedAt < 0) {
            ++out.unmatched;
        } else {
            out.fromRead.push_back((e->ns - crossedAt) / 1e6);
            out.fromRequest.push_back((e->ns - requestedAt) / 1e6);
        }
        crossedAt = -1;
        ++step;
    }
    return out;
}

void printPercentiles(const char *what, std::vector<double> v)
{
    if (v.empty())
        return;
    std::sort(v.begin(), v.end());
    const auto rank = [&v](double p) { return v[size_t(std::ceil(p * v.size())) - 1]; };
    std::printf("%-34s p50 %7.1f   p99 %7.1f   max %7.1f\n", what, rank(0.5), rank(0.99), v.back());
}

int crossingDelay(int crossings, double wallSecondsPerCrossing)
{
    // From full down to a fifth of the charge, one limit per equal share of it.
    const double share = 0.8 / crossings;
    const double simSecondsPerCrossing = share * kCapacityMah * 3.6 / kAmps;
    const double speed = simSecondsPerCrossing / wallSecondsPerCrossing;
    QString text;
    for (int k = 1; k <= crossings; ++k)
        text += QString("Discharge at %1 A until %2 V\n")
                    .arg(kAmps)
                    .arg(sim::SourceModel::cellOcv(1.0 - k * share) - kAmps * kOhms, 0, 'f', 3);
    plan::Plan plan;
    QString error;
    if (!plan::parsePlan(text, &plan, &error))
        qFatal("%s", qPrintable(error));
    std::vector<double> limits;
    for (const plan::Step &step : plan.steps)
        limits.push_back(step.limit.value);

    const QString demo =
        QString("HK07;capacity=%1;ri=%2;speed=%3").arg(kCapacityMah).arg(kOhms).arg(speed);
    std::printf("%d crossings, %.2f V to %.2f V, about %.1f s apart (%s)\n", crossings,
                limits.front(), limits.back(), wallSecondsPerCrossing, qPrintable(demo));
    std::vector<WireEvent> wire;
    const QVector<QJsonObject> steps = runPlan(demo, plan, &wire);
    const int byVoltage = int(std::count_if(steps.begin(), steps.end(), [](const QJsonObject &s) {
        return s.value("reason").toString().startsWith("voltage");
    }));
    const Delays delays = crossingDelays(wire, limits);
    std::printf("steps ended by voltage: %d of %d; crossings measured: %zu (%d without one)\n",
                byVoltage, int(steps.size()), delays.fromRead.size(), delays.unmatched);
    printPercentiles("crossing report read -> frame (ms)", delays.fromRead);
    printPercentiles("its poll request -> frame (ms)", delays.fromRequest);
    return 0;
}

// Each resistance with a few seeds of the simulator's noise: readings have 1 mV and 1 mA steps,
// so over the 0.8 A pulse the result moves in steps of about 1.25 mOhm.
int resistance(int seeds)
{
    plan::Plan plan;
    QString error;
    if (!plan::parsePlan("Measure resistance at 0.2 A for 10 s then 1 A for 1 s", &plan, &error))
        qFatal("%s", qPrintable(error));
    std::printf("%10s %5s %12s %8s\n", "set (mOhm)", "seed", "measured", "error %");
    for (const double ohms : {0.05, 0.15, 0.4}) {
        double worst = 0;
        for (int seed = 1; seed <= seeds; ++seed) {
            const QString demo = QString("HK07;ri=%1;seed=%2").arg(ohms).arg(seed);
            const QVector<QJsonObject> steps = runPlan(demo, plan, nullptr);
            const double set = ohms * 1000;
            const double measured = steps.isEmpty()
                                        ? std::nan("")
                                        : steps.first().value("resistance_mOhm").toDouble(NAN);
            const double percent = (measured - set) / set * 100;
            worst = std::max(worst, std::isnan(percent) ? INFINITY : std::abs(percent));
            std::printf("%10.1f %5d %12.2f %8.2f\n", set, seed, measured, percent);
            std::fflush(stdout);
        }
        std::printf("%10.1f worst |error| %.2f %%\n", ohms * 1000, worst);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules("*.debug=false\n*.info=false");
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == "--resistance")
        return resistance(args.value(1, "3").toInt());
    return crossingDelay(args.value(0, "100").toInt(), args.value(1, "1.5").toDouble());
}
