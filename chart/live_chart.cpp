// Construction of the live chart, its series, axes and pens, and the curve styles and theme.

#include "chart/live_chart.h"

#include "chart/axis_labels.h"
#include "chart/chart_log.h"
#include "chart/chart_view.h"
#include "chart/chart_backdrop.h"
#include "chart/curve_layer.h"
#include "chart/plot_layers.h"
#include "record/clock.h"
#include "chart/degree_sign_font.h"
#include "record/recorder.h"
#include "settings/settings_file.h"

#include <QCategoryAxis>
#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLineSeries>
#include <QSplineSeries>
#include <QTimer>

using namespace QtCharts;

namespace {
// The value axis of each slot: 0 left, 1 right 1, 2 right 2.
constexpr std::array<int, kPlotSlots> kSlotAxis = {0, 1, 2, 0, 1, 0, 1, 0};
} // namespace

LiveChart::LiveChart(Recorder &recorder, UserRangeSource userRanges, QObject *parent)
    : QObject(parent), m_recorder(recorder), m_userRanges(std::move(userRanges))
{
    if (!m_userRanges)
        m_userRanges = [](int) { return UserRange{}; };
    viewStart = Clock::now();

    m_chart = new QChart;
    m_curveStyles = loadCurveStyles();
    buildSeries();
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->setBackgroundRoundness(0);

    QLegend *legend = m_chart->legend();
    legend->setVisible(true);
    legend->setAlignment(Qt::AlignBottom);
    legend->setBackgroundVisible(true);
    legend->setAutoFillBackground(true);
    legend->setColor(QColor(222, 233, 251));
    legend->setLabelColor(QColor(0, 100, 255));
    legend->setMaximumHeight(40);

    m_chart->setTheme(chartThemeFromName(SettingsFile().read("ChartTheme")));
    m_chart->setAutoFillBackground(true);

    buildAxes();
    useDegreeSignFonts();
    const PlotLayers layers = addPlotLayers(m_chart, m_timeAxis);
    m_backdrop = layers.backdrop;
    m_curveLayer = layers.curves;
    for (int slot = 0; slot < kPlotSlots; ++slot)
        m_curveLayer->setCurve(slot, m_slots[size_t(slot)].line,
                               m_valueAxes[size_t(kSlotAxis[size_t(slot)])]);
    for (int slot = 0; slot < 3; ++slot)
        showSlot(slot);

    m_view = new ChartView(m_chart);
    m_view->setRenderHint(QPainter::Antialiasing);

    connect(&m_recorder, &Recorder::rowRecorded, this, &LiveChart::onRowRecorded);
    connect(&m_recorder, &Recorder::cleared, this, &LiveChart::onRecorderCleared);
    m_view->setWindowHandler(
        [this](const QDateTime &min, const QDateTime &max) { showWindow(min, max); });
    connect(m_timeAxis, &QDateTimeAxis::rangeChanged, this,
            [this](const QDateTime &min, const QDateTime &max) {
        m_timeAxis->setFormat(timeAxisFormat(double(min.msecsTo(max)), kTimeTicks));
        if (!m_inSample && !m_movingWindow)
            refreshVisible();
    });
    connect(m_chart, &QChart::plotAreaChanged, this, &LiveChart::scheduleRefresh);
}

LiveChart::~LiveChart()
{
    // Series outside the chart belong to us; the view owns the chart and the chart the rest. The
    // view may already be gone with the window it was placed in.
    for (Slot &s : m_slots) {
        if (!s.shown || m_lineMode)
            delete s.spline;
        if (!s.shown || !m_lineMode)
            delete s.line;
    }
    delete m_view.data();
}

void LiveChart::buildSeries()
{
    for (int slot = 0; slot < kPlotSlots; ++slot) {
        Slot &s = m_slots[size_t(slot)];
        s.spline = new QSplineSeries;
        s.line = new QLineSeries;
        for (QXYSeries *series :
             {static_cast<QXYSeries *>(s.spline), static_cast<QXYSeries *>(s.line)}) {
            series->setName(kCurveKeys[slot].seriesName);
            series->setPen(curvePen(m_curveStyles[slot]));
        }
    }
}

void LiveChart::buildAxes()
{
    m_timeAxis = new QDateTimeAxis;
    m_timeAxis->setFormat("hh:mm:ss");
    m_timeAxis->setTickCount(kTimeTicks);
    m_timeAxis->setGridLineVisible(true);
    m_timeAxis->setLinePenColor(QColor(205, 115, 14));
    m_timeAxis->setRange(viewStart, viewStart.addSecs(10));
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);

    for (size_t i = 0; i < m_valueAxes.size(); ++i) {
        auto *axis = new QCategoryAxis;
        axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        axis->setTickCount(10);
        axis->setGridLineVisible(i == 0);
        axis->setLinePenColor(m_curveStyles[int(i)].color);
        m_valueAxes[i] = axis;
    }
    // Defaults first, so that an enabled user range the axis refuses (maximum not above
    // minimum) leaves a labelled axis rather than an empty one.
    for (const AxisUse &use : axesOf(View::Default))
        applyDefaultRange(use, false);
    applyViewRanges(View::Default, false);
    m_chart->addAxis(m_valueAxes[0], Qt::AlignLeft);
    m_chart->addAxis(m_valueAxes[1], Qt::AlignRight);
    m_chart->addAxis(m_valueAxes[2], Qt::AlignRight);
}

QXYSeries *LiveChart::series(int slot) const
{
    const Slot &s = m_slots[size_t(slot)];
    return m_lineMode ? static_cast<QXYSeries *>(s.line) : static_cast<QXYSeries *>(s.spline);
}

int LiveChart::pointCount(int slot) const
{
    return m_lineMode ? m_curveLayer->points(slot).size() : m_slots[size_t(slot)].spline->count();
}

void LiveChart::showSlot(int slot)
{
    Slot &s = m_slots[size_t(slot)];
    if (s.shown)
        return;
    QXYSeries *series = this->series(slot);
    m_chart->addSeries(series);
    series->attachAxis(m_timeAxis);
    series->attachAxis(m_valueAxes[size_t(kSlotAxis[size_t(slot)])]);
    s.shown = true;
}

void LiveChart::hideSlot(int slot)
{
    Slot &s = m_slots[size_t(slot)];
    if (!s.shown)
        return;
    m_chart->removeSeries(series(slot));
    s.spline->clear();
    m_curveLayer->setPoints(slot, {});
    s.shown = false;
}

void LiveChart::repen(int entry)
{
    if (entry >= kPlotSlots)
        return;
    const QPen pen = curvePen(m_curveStyles[entry]);
    m_slots[size_t(entry)].spline->setPen(pen);
    m_slots[size_t(entry)].line->setPen(pen);
}

void LiveChart::setCurveColor(int entry, const QColor &color)
{
    m_curveStyles[entry].color = color;
    repen(entry);
}

void LiveChart::setCurveWidth(int entry, qreal width)
{
    m_curveStyles[entry].width = width;
    repen(entry);
}

void LiveChart::repenAll()
{
    for (int slot = 0; slot < kPlotSlots; ++slot)
        repen(slot);
}

void LiveChart::setTheme(QChart::ChartTheme theme)
{
    m_chart->setTheme(theme);
    useDegreeSignFonts();
    m_backdrop->refresh();
    // A theme replaces the pens of curves and axis lines with its own colours.
    repenAll();
    colourAxesForView();
    m_timeAxis->setLinePenColor(QColor(205, 115, 14));
}

// The temperature axes' labels end in "℃"; a theme gives the axes its own fonts again.
void LiveChart::useDegreeSignFonts()
{
    m_timeAxis->setLabelsFont(withDegreeSign(m_timeAxis->labelsFont()));
    for (QCategoryAxis *axis : m_valueAxes)
        axis->setLabelsFont(withDegreeSign(axis->labelsFont()));
}

void LiveChart::setViewButtons(QPushButton *eleCap, QPushButton *cpuNtc, QPushButton *mos)
{
    m_viewButtons = {eleCap, cpuNtc, mos};
}

double LiveChart::bytesPerSample() const
{
    const qint64 rows = m_recorder.store().size();
    if (rows == 0)
        return 0;
    qint64 seriesBytes = 0;
    for (int slot = 0; slot < kPlotSlots; ++slot)
        seriesBytes +=
            qint64(m_slots[size_t(slot)].spline->count() + m_curveLayer->points(slot).size()) *
            qint64(sizeof(QPointF));
    return double(m_recorder.store().bytesUsed() + m_pyramid.bytesUsed() + seriesBytes) / rows;
}

void LiveChart::scheduleRefresh()
{
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshQueued = false;
        refreshVisible();
    });
}
