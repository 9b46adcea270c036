// Times the live chart at growing run lengths, offscreen, with a clock that runs a second per
// sample: one tick (a sample of eight quantities, axes grown, the visible view refreshed, the view
// repainted into an image of its real size), one wheel-zoom and one pan step, and the heap bytes
// per recorded row. The same ticks with plain per-point spline appends run as the baseline.
//
//   bench_chart_tick [max-samples=1000000] [baseline-max=10000]

#include "chart_view.h"
#include "clock.h"
#include "live_chart.h"
#include "recorder.h"

#include <QApplication>
#include <QDateTimeAxis>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSplineSeries>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace QtCharts;

namespace {

const QSize kViewSize(961, 621); // the display page's chart area
QDateTime g_now;

SampleValues valuesAt(qint64 i)
{
    // A slowly discharging battery with load ripple, and slowly warming temperatures.
    const float t = float(i);
    const float ripple = 0.05f * std::sin(t * 0.7f);
    SampleValues v{};
    v[int(Quantity::Voltage)] = 12.6f - 2.0f * t / 1e6f + ripple;
    v[int(Quantity::Current)] = 2.0f + ripple;
    v[int(Quantity::Power)] = v[0] * v[1];
    v[int(Quantity::Resistance)] = v[0] / v[1];
    v[int(Quantity::Energy)] = t * 24.0f / 3600.0f;
    v[int(Quantity::Capacity)] = t * 2000.0f / 3600.0f;
    v[int(Quantity::CpuTemp)] = 30.0f + 0.001f * float(i % 10000);
    v[int(Quantity::NtcTemp)] = 28.0f + ripple;
    v[int(Quantity::MosTemp)] = 45.0f + 2 * ripple;
    v[int(Quantity::FanSpeed)] = 1200;
    return v;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void paintInto(QWidget *view, QImage &image)
{
    static const bool skip = qEnvironmentVariableIsSet("CHART_BENCH_NO_PAINT"); // profiling
    if (skip)
        return;
    QPainter painter(&image);
    view->render(&painter);
}

double timeMs(const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Result
{
    double tickMs;
    double sampleMs; // the tick without the repaint
    double zoomMs;
    double panMs;
    double bytesPerSample;
};

enum class Mode
{
    Accumulated,
    Scrolling,
    ZoomedOut
};

const char *modeName(Mode mode)
{
    switch (mode) {
    case Mode::Accumulated:
        return "accumulated";
    case Mode::Scrolling:
        return "scrolling";
    case Mode::ZoomedOut:
        return "zoomed_out";
    }
    return "?";
}

Result runChart(qint64 samples, Mode mode, int ticks)
{
    const QDateTime start = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    g_now = start;
    Recorder recorder;
    LiveChart chart(recorder, {});
    ChartView *view = chart.view();
    view->resize(kViewSize);
    view->show();
    QApplication::processEvents();
    chart.reanchor(start.toSecsSinceEpoch(), start.addSecs(10).toSecsSinceEpoch());
    chart.setDisplayMode(mode == Mode::Scrolling ? LiveChart::Scrolling : LiveChart::Accumulated);
    view->setManual(false);
    chart.holdFollow(true);
    for (qint64 i = 0; i + 1 < samples; ++i) {
        recorder.record(g_now, valuesAt(i));
        g_now = g_now.addSecs(1);
    }
    chart.holdFollow(false);
    recorder.record(g_now, valuesAt(samples));
    if (mode == Mode::ZoomedOut) {
        chart.timeAxis()->setRange(start, g_now);
        view->setManual(true);
    }
    QApplication::processEvents();
    QImage image(kViewSize, QImage::Format_ARGB32_Premultiplied);
    paintInto(view, image);

    std::vector<double> tickTimes;
    std::vector<double> sampleTimes;
    for (int i = 0; i < ticks; ++i) {
        g_now = g_now.addSecs(1);
        const SampleValues v = valuesAt(samples + i);
        QElapsedTimer timer;
        timer.start();
        recorder.record(g_now, v); // the chart follows the recorded row
        sampleTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
        paintInto(view, image);
        tickTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
    }

    // Wheel steps alternate in and out so the window stays comparable; drags alternate too.
    std::vector<double> zoomTimes;
    std::vector<double> panTimes;
    const QPointF centre(kViewSize.width() / 2.0, kViewSize.height() / 2.0);
    for (int i = 0; i < 10; ++i) {
        QWheelEvent wheel(centre, view->mapToGlobal(centre.toPoint()), QPoint(),
                          QPoint(0, i % 2 ? -120 : 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        zoomTimes.push_back(timeMs([&] {
            QApplication::sendEvent(view->viewport(), &wheel);
            paintInto(view, image);
        }));
    }
    QMouseEvent press(QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &press);
    for (int i = 0; i < 10; ++i) {
        const QPointF to = centre + QPointF(i % 2 ? -40 : 40, 0);
        QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        panTimes.push_back(timeMs([&] {
            QApplication::sendEvent(view->viewport(), &move);
            paintInto(view, image);
        }));
    }
    QMouseEvent release(QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &release);
    return {median(tickTimes), median(sampleTimes), median(zoomTimes), median(panTimes),
            chart.bytesPerSample()};
}

// The plain design: every sample appended to eight spline series that are never trimmed.
Result runBaseline(qint64 samples, Mode mode, int ticks)
{
    QDateTime now = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    const QDateTime start = now;
    auto *chart = new QChart;
    auto *timeAxis = new QDateTimeAxis;
    chart->addAxis(timeAxis, Qt::AlignBottom);
    std::vector<QSplineSeries *> series;
    std::vector<QVector<QPointF>> fill(kPlotSlots);
    for (qint64 i = 0; i + 1 < samples; ++i) {
        const SampleValues v = valuesAt(i);
        for (int s = 0; s < kPlotSlots; ++s)
            fill[size_t(s)].append(
                QPointF(double(now.toMSecsSinceEpoch()), v[size_t(kSlotQuantity[size_t(s)])]));
        now = now.addSecs(1);
    }
    for (int s = 0; s < kPlotSlots; ++s) {
        auto *spline = new QSplineSeries;
        spline->replace(fill[size_t(s)]); // the fill itself is not timed
        if (s < 3) {
            auto *axis = new QValueAxis;
            chart->addAxis(axis, s == 0 ? Qt::AlignLeft : Qt::AlignRight);
            chart->addSeries(spline);
            spline->attachAxis(timeAxis);
            spline->attachAxis(axis);
            axis->setRange(-25, 25);
        }
        series.push_back(spline);
    }
    QChartView view(chart);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(kViewSize);
    view.show();
    QApplication::processEvents();
    QImage image(kViewSize, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> tickTimes;
    for (int i = 0; i < ticks; ++i) {
        const SampleValues v = valuesAt(samples + i);
        tickTimes.push_back(timeMs([&] {
            for (int s = 0; s < kPlotSlots; ++s)
                series[size_t(s)]->append(double(now.toMSecsSinceEpoch()),
                                          v[size_t(kSlotQuantity[size_t(s)])]);
            if (mode == Mode::Scrolling)
                timeAxis->setRange(now.addSecs(-9), now.addSecs(1));
            else
                timeAxis->setRange(start, now.addSecs(1));
            paintInto(&view, image);
        }));
        now = now.addSecs(1);
    }
    for (int s = 3; s < kPlotSlots; ++s)
        delete series[size_t(s)];
    return {median(tickTimes), 0, 0, 0, 0};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication app(argc, argv);
    const qint64 maxSamples = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const qint64 baselineMax = argc > 2 ? QByteArray(argv[2]).toLongLong() : 10000;
    QTemporaryDir work; // the chart reads its styles from the settings file in the working folder
    QDir::setCurrent(work.path());
    Clock::setSource([] { return g_now; });
    // The benchmark's time passes on both clocks alike.
    Clock::setSteadySource([] { return g_now.toMSecsSinceEpoch(); });

    const Mode modes[] = {Mode::Accumulated, Mode::Scrolling, Mode::ZoomedOut};
    std::vector<std::pair<qint64, std::vector<double>>> ours;
    for (qint64 n = 1000; n <= maxSamples; n *= 10) {
        std::vector<double> ticks;
        for (Mode mode : modes) {
            const QByteArray only = qgetenv("CHART_BENCH_ONLY"); // profiling one mode
            if (!only.isEmpty() && only != modeName(mode))
                continue;
            const Result r = runChart(n, mode, 31);
            std::printf("samples=%lld mode=%s tick_ms=%.2f zoom_ms=%.2f bytes_per_sample=%.1f "
                        "pan_ms=%.2f sample_only_ms=%.2f\n",
                        static_cast<long long>(n), modeName(mode), r.tickMs, r.zoomMs,
                        r.bytesPerSample, r.panMs, r.sampleMs);
            std::fflush(stdout);
            ticks.push_back(r.tickMs);
        }
        ours.emplace_back(n, ticks);
    }
    for (const auto &[n, ticks] : ours) {
        if (n > baselineMax)
            break;
        for (size_t m = 0; m < 2; ++m) {
            const Result b = runBaseline(n, modes[m], n >= 10000 ? 5 : 11);
            std::printf(
                "baseline samples=%lld mode=%s tick_ms=%.2f ratio_baseline_over_ours=%.1f\n",
                static_cast<long long>(n), modeName(modes[m]), b.tickMs,
                ticks[m] > 0 ? b.tickMs / ticks[m] : 0.0);
            std::fflush(stdout);
        }
    }
    Clock::setSource({});
    Clock::setSteadySource({});
    return 0;
}
