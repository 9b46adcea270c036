// Times the live chart at growing run lengths, offscreen, with a clock that runs a second per
// sample: one tick (a sample of eight quantities, axes grown, the visible view refreshed, the view
// repainted into an image of its real size), one wheel-zoom and one pan step, and the heap bytes
// per recorded row. Then, at 1e3 … compare-max samples, the accumulated tick, zoom and pan are
// timed interleaved with QCustomPlot's (adaptive sampling) and a bare QPainter polyline of two
// points per pixel column, and each ratio ours/theirs is printed.
//
//   bench_chart_tick [max-samples=1000000] [compare-max=10000000]
//
// CHART_BENCH_PICTURE=/tmp/chart-%1.png saves our chart as built and after the timed steps.
// For profiling: CHART_BENCH_ROUNDS=N rounds per comparison (21), CHART_BENCH_ONLY=ours times
// ours alone in the comparisons.

#include "chart/chart_view.h"
#include "record/clock.h"
#include "chart/live_chart.h"
#include "record/local_zone.h"
#include "record/recorder.h"
#include "tests/support/temp_workdir.h"

#include <QApplication>
#include <QDateTimeAxis>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QWheelEvent>

#ifdef HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace QtCharts;

namespace {

const QSize kViewSize(961, 621); // the display page's chart area
constexpr QImage::Format kImageFormat = QImage::Format_ARGB32_Premultiplied;
QDateTime g_now;

proto::SampleValues valuesAt(qint64 i)
{
    // A slowly discharging battery with load ripple, and slowly warming temperatures.
    const float t = float(i);
    const float ripple = 0.05f * std::sin(t * 0.7f);
    proto::SampleValues v{};
    v[int(proto::Quantity::Voltage)] = 12.6f - 2.0f * t / 1e6f + ripple;
    v[int(proto::Quantity::Current)] = 2.0f + ripple;
    v[int(proto::Quantity::Power)] = v[0] * v[1];
    v[int(proto::Quantity::Resistance)] = v[0] / v[1];
    v[int(proto::Quantity::Energy)] = t * 24.0f / 3600.0f;
    v[int(proto::Quantity::Capacity)] = t * 2000.0f / 3600.0f;
    v[int(proto::Quantity::CpuTemp)] = 30.0f + 0.001f * float(i % 10000);
    v[int(proto::Quantity::NtcTemp)] = 28.0f + ripple;
    v[int(proto::Quantity::MosTemp)] = 45.0f + 2 * ripple;
    v[int(proto::Quantity::FanSpeed)] = 1200;
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
        const proto::SampleValues v = valuesAt(samples + i);
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

// What a comparison times at one run length: a tick (one more sample, the window followed, a
// repaint), a zoom step and a pan step, each ending in a full picture of the view's size.
class Contender
{
public:
    virtual ~Contender() = default;
    virtual void tick(qint64 i) = 0;
    virtual void zoom(int step) = 0;
    virtual void pan(int step) = 0;
};

// The live chart itself in its accumulated mode.
class OurChart : public Contender
{
public:
    explicit OurChart(qint64 samples)
        : m_chart(m_recorder, {}), m_image(kViewSize, kImageFormat), m_samples(samples)
    {
        const QDateTime start = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
        g_now = start;
        ChartView *view = m_chart.view();
        view->resize(kViewSize);
        view->show();
        QApplication::processEvents();
        m_chart.reanchor(start.toSecsSinceEpoch(), start.addSecs(10).toSecsSinceEpoch());
        view->setManual(false);
        m_chart.holdFollow(true);
        for (qint64 i = 0; i + 1 < samples; ++i) {
            m_recorder.record(g_now, valuesAt(i));
            g_now = g_now.addSecs(1);
        }
        m_chart.holdFollow(false);
        m_recorder.record(g_now, valuesAt(samples));
        QApplication::processEvents();
        paintInto(view, m_image);
        savePicture(QString::number(samples));
    }
    // The last picture, after every timed tick, zoom and pan.
    ~OurChart() override { savePicture(QString::number(m_samples) + "-last"); }
    void tick(qint64 i) override
    {
        m_chart.view()->setManual(false);
        g_now = g_now.addSecs(1);
        m_recorder.record(g_now, valuesAt(i)); // the chart follows the recorded row
        paintInto(m_chart.view(), m_image);
    }
    void zoom(int step) override
    {
        const QPointF centre(kViewSize.width() / 2.0, kViewSize.height() / 2.0);
        QWidget *viewport = m_chart.view()->viewport();
        QWheelEvent wheel(centre, viewport->mapToGlobal(centre.toPoint()), QPoint(),
                          QPoint(0, step % 2 ? -120 : 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        paintInto(m_chart.view(), m_image);
    }
    void pan(int step) override
    {
        const QPointF centre(kViewSize.width() / 2.0, kViewSize.height() / 2.0);
        QWidget *viewport = m_chart.view()->viewport();
        QMouseEvent press(QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &press);
        QMouseEvent move(QEvent::MouseMove, centre + QPointF(step % 2 ? -40 : 40, 0), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(viewport, &release);
        paintInto(m_chart.view(), m_image);
    }

private:
    // To check the look: CHART_BENCH_PICTURE is a file name with %1 for the run length.
    void savePicture(const QString &name) const
    {
        const QString picture = qEnvironmentVariable("CHART_BENCH_PICTURE");
        if (!picture.isEmpty())
            m_image.save(picture.arg(name));
    }

    Recorder m_recorder;
    LiveChart m_chart;
    QImage m_image;
    qint64 m_samples;
};

// The floor: the same three curves as antialiased polylines of two points per pixel column (the
// column's lowest and highest sample, found before timing) over a filled background.
class BarePolyline : public Contender
{
public:
    explicit BarePolyline(qint64 samples) : m_image(kViewSize, kImageFormat)
    {
        const QRectF plot(60, 30, kViewSize.width() - 160, kViewSize.height() - 110);
        const int columns = int(plot.width());
        const double ranges[3][2] = {{0, 20}, {-25, 25}, {0, 10}};
        for (int c = 0; c < columns; ++c) {
            const qint64 first = samples * c / columns;
            const qint64 end = qMax(first + 1, samples * (c + 1) / columns);
            std::array<double, 3> low{{1e300, 1e300, 1e300}};
            std::array<double, 3> high{{-1e300, -1e300, -1e300}};
            for (qint64 i = first; i < end; ++i) {
                const proto::SampleValues v = valuesAt(i);
                for (size_t s = 0; s < 3; ++s) {
                    low[s] = qMin(low[s], double(v[size_t(kSlotQuantity[s])]));
                    high[s] = qMax(high[s], double(v[size_t(kSlotQuantity[s])]));
                }
            }
            for (size_t s = 0; s < 3; ++s) {
                auto y = [&](double v) {
                    return plot.bottom() -
                           (v - ranges[s][0]) / (ranges[s][1] - ranges[s][0]) * plot.height();
                };
                m_lines[s].append(QPointF(plot.left() + c, y(low[s])));
                m_lines[s].append(QPointF(plot.left() + c, y(high[s])));
            }
        }
    }
    void tick(qint64) override { draw(); }
    void zoom(int) override { draw(); }
    void pan(int) override { draw(); }

private:
    void draw()
    {
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(m_image.rect(), Qt::white);
        for (size_t s = 0; s < m_lines.size(); ++s) {
            painter.setPen(QPen(QColor::fromHsv(int(s) * 120, 255, 200), 1));
            painter.drawPolyline(m_lines[s].constData(), m_lines[s].size());
        }
    }
    QImage m_image;
    std::array<QVector<QPointF>, 3> m_lines;
};

#ifdef HAVE_QCUSTOMPLOT
// The same three curves in QCustomPlot, whose graphs thin dense data by adaptive sampling.
class OtherPlot : public Contender
{
public:
    explicit OtherPlot(qint64 samples) : m_image(kViewSize, kImageFormat)
    {
        m_plot.resize(kViewSize);
        m_plot.setAntialiasedElements(QCP::aeAll);
        m_plot.xAxis->setTicker(QSharedPointer<QCPAxisTickerDateTime>::create());
        m_plot.yAxis2->setVisible(true);
        QVector<double> keys(static_cast<int>(samples));
        for (qint64 i = 0; i < samples; ++i)
            keys[int(i)] = m_start + double(i);
        for (int s = 0; s < 3; ++s) {
            QCPGraph *graph = m_plot.addGraph(m_plot.xAxis, s == 0 ? m_plot.yAxis : m_plot.yAxis2);
            graph->setAdaptiveSampling(true);
            graph->setPen(QPen(QColor::fromHsv(s * 120, 255, 200), 1));
            QVector<double> values(static_cast<int>(samples));
            for (qint64 i = 0; i < samples; ++i)
                values[int(i)] = valuesAt(i)[size_t(kSlotQuantity[size_t(s)])];
            graph->setData(keys, values, true);
        }
        m_plot.yAxis->setRange(0, 20);
        m_plot.yAxis2->setRange(-25, 25);
        m_end = m_start + double(samples);
        m_plot.xAxis->setRange(m_start, m_end);
        m_plot.show();
        QApplication::processEvents();
        draw();
    }
    void tick(qint64 i) override
    {
        const proto::SampleValues v = valuesAt(i);
        for (int s = 0; s < 3; ++s)
            m_plot.graph(s)->addData(m_end, v[size_t(kSlotQuantity[size_t(s)])]);
        m_end += 1;
        m_plot.xAxis->setRange(m_start, m_end + 1);
        draw();
    }
    void zoom(int step) override
    {
        m_plot.xAxis->scaleRange(step % 2 ? 1 / 0.8 : 0.8, m_plot.xAxis->range().center());
        draw();
    }
    void pan(int step) override
    {
        const double perPixel = m_plot.xAxis->range().size() / m_plot.axisRect()->width();
        m_plot.xAxis->moveRange((step % 2 ? 40 : -40) * perPixel);
        draw();
    }

private:
    void draw()
    {
        m_plot.replot(QCustomPlot::rpImmediateRefresh);
        paintInto(&m_plot, m_image);
    }
    QCustomPlot m_plot;
    QImage m_image;
    double m_start = 1700000000;
    double m_end = 0;
};
#endif

struct Timings
{
    std::vector<double> tick, zoom, pan;
};

// Ticks, zooms and pans of every contender, taken in turn so that a busy moment of the machine
// falls on all of them alike; the medians per contender.
std::vector<Result> compareInterleaved(const std::vector<Contender *> &contenders, qint64 samples,
                                       int rounds)
{
    std::vector<Timings> timings(contenders.size());
    for (int r = 0; r < rounds; ++r) {
        for (size_t k = 0; k < contenders.size(); ++k) {
            Contender *c = contenders[k];
            timings[k].tick.push_back(timeMs([&] { c->tick(samples + r); }));
        }
    }
    for (int r = 0; r < rounds; ++r) {
        for (size_t k = 0; k < contenders.size(); ++k)
            timings[k].zoom.push_back(timeMs([&] { contenders[k]->zoom(r); }));
        for (size_t k = 0; k < contenders.size(); ++k)
            timings[k].pan.push_back(timeMs([&] { contenders[k]->pan(r); }));
    }
    std::vector<Result> results;
    for (const Timings &t : timings)
        results.push_back({median(t.tick), 0, median(t.zoom), median(t.pan), 0});
    return results;
}

void printComparison(qint64 samples, const char *name, const Result &theirs, const Result &ours)
{
    std::printf("compare samples=%lld against=%s tick_ms=%.2f zoom_ms=%.2f pan_ms=%.2f "
                "ratio_ours_over_theirs tick=%.2f zoom=%.2f pan=%.2f\n",
                static_cast<long long>(samples), name, theirs.tickMs, theirs.zoomMs, theirs.panMs,
                ours.tickMs / theirs.tickMs, ours.zoomMs / theirs.zoomMs,
                ours.panMs / theirs.panMs);
    std::fflush(stdout);
}

void compareAt(qint64 samples, int rounds)
{
    OurChart ours(samples);
    BarePolyline polyline(samples);
    std::vector<Contender *> contenders{&ours, &polyline};
#ifdef HAVE_QCUSTOMPLOT
    OtherPlot other(samples);
    contenders.push_back(&other);
#endif
    if (qgetenv("CHART_BENCH_ONLY") == "ours")
        contenders.resize(1);
    const std::vector<Result> r = compareInterleaved(contenders, samples, rounds);
    if (contenders.size() == 1)
        return;
    std::printf("compare samples=%lld ours tick_ms=%.2f zoom_ms=%.2f pan_ms=%.2f\n",
                static_cast<long long>(samples), r[0].tickMs, r[0].zoomMs, r[0].panMs);
    printComparison(samples, "bare_polyline", r[1], r[0]);
#ifdef HAVE_QCUSTOMPLOT
    printComparison(samples, "qcustomplot", r[2], r[0]);
#else
    std::printf("compare samples=%lld against=qcustomplot not built (libqcustomplot-dev "
                "missing)\n",
                static_cast<long long>(samples));
#endif
}

} // namespace

int main(int argc, char **argv)
{
    const LocalZonePin localZone; // as the program runs
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication app(argc, argv);
    const qint64 maxSamples = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const qint64 compareMax = argc > 2 ? QByteArray(argv[2]).toLongLong() : 10000000;
    const TempWorkDir work; // the chart's styles come from a settings file of its own, not the user's
    Clock::setSource([] { return g_now; });
    // The benchmark's time passes on both clocks alike.
    Clock::setSteadySource([] { return g_now.toMSecsSinceEpoch(); });

    const Mode modes[] = {Mode::Accumulated, Mode::Scrolling, Mode::ZoomedOut};
    for (qint64 n = 1000; n <= maxSamples; n *= 10) {
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
        }
    }
    // Ours against QCustomPlot and the bare polyline, one size at a time so that only one
    // run of each is in memory.
    const int rounds = qEnvironmentVariableIsSet("CHART_BENCH_ROUNDS")
                           ? qEnvironmentVariableIntValue("CHART_BENCH_ROUNDS")
                           : 21;
    for (qint64 n = 1000; n <= compareMax; n *= 10)
        compareAt(n, rounds);
    Clock::setSource({});
    Clock::setSteadySource({});
    return 0;
}
