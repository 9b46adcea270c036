#include "review/run_chart.h"

#include "chart/axis_labels.h"
#include "chart/curve_layer.h"
#include "chart/plot_layers.h"
#include "chart/curve_styles.h"
#include "chart/degree_sign_font.h"
#include "review/elapsed_axis.h"
#include "settings/settings_file.h"

#include <QCategoryAxis>
#include <QChart>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLineSeries>

#include <cmath>

using namespace QtCharts;

namespace review {

static_assert(kMaxRuns <= CurveLayer::kCurves, "a curve for every run");

namespace {

constexpr int kValueLabels = 5;
constexpr int kMaxTimeTicks = 8;

// Enough decimals that neighbouring labels differ.
int decimalsFor(double step)
{
    return step >= 1 ? 0 : qBound(0, int(std::ceil(-std::log10(step))), 6);
}

} // namespace

QColor runColor(int n)
{
    static const QColor kColors[kMaxRuns] = {
        QColor(0, 114, 178), QColor(213, 94, 0),   QColor(0, 158, 115), QColor(204, 121, 167),
        QColor(230, 159, 0), QColor(86, 180, 233), QColor(0, 0, 0),     QColor(150, 150, 30),
    };
    return kColors[n % kMaxRuns];
}

QString RunChart::slotName(int slot)
{
    const proto::Quantity q = kSlotQuantity[size_t(slot)];
    return QCoreApplication::translate("Quantity", proto::terms(q).name) + " (" +
           QString::fromUtf8(proto::baseUnit(q)) + ")";
}

RunChart::RunChart(QObject *parent) : QObject(parent), m_chart(new QChart)
{
    m_chart->setTheme(chartThemeFromName(SettingsFile().read("ChartTheme")));
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->setBackgroundRoundness(0);
    m_chart->legend()->setVisible(true);
    m_chart->legend()->setAlignment(Qt::AlignBottom);

    m_timeAxis = new QCategoryAxis;
    m_timeAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_valueAxis = new QCategoryAxis;
    m_valueAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);
    for (QCategoryAxis *axis : {m_timeAxis, m_valueAxis}) {
        axis->setLabelsFont(withDegreeSign(axis->labelsFont()));
        axis->setTitleFont(withDegreeSign(axis->titleFont()));
    }
    m_curves = addPlotLayers(m_chart, m_timeAxis).curves;
    retranslate();

    // The curves' detail follows the plot's width in pixels.
    connect(m_chart, &QChart::plotAreaChanged, this, [this](const QRectF &area) {
        if (!m_series.isEmpty() && int(area.width()) != m_columns)
            redraw();
    });
}

RunChart::~RunChart()
{
    delete m_chart.data();
}

void RunChart::retranslate()
{
    m_timeAxis->setTitleText(QCoreApplication::translate("review::RunChart", "运行时间"));
    m_valueAxis->setTitleText(slotName(m_slot));
}

void RunChart::setRuns(const LoadedRuns *runs)
{
    for (int n = 0; n < m_series.size(); ++n) {
        m_curves->setPoints(n, {});
        m_chart->removeSeries(m_series[n]);
        delete m_series[n];
    }
    m_series.clear();
    m_feed.forget();
    m_runs = runs;
    for (size_t n = 0; runs && n < runs->size(); ++n) {
        auto *series = new QLineSeries;
        series->setName((*runs)[n]->name);
        series->setUseOpenGL(false);
        m_chart->addSeries(series);
        series->attachAxis(m_timeAxis);
        series->attachAxis(m_valueAxis);
        m_curves->setCurve(int(n), series, m_valueAxis);
        m_series << series;
    }
    applyStyle();
    showWhole();
}

const QVector<QPointF> &RunChart::points(int n) const
{
    return m_curves->points(n);
}

void RunChart::applyStyle()
{
    const qreal width = readCurveStyle(m_slot).width;
    for (int n = 0; n < m_series.size(); ++n)
        m_series[n]->setPen(curvePen({runColor(n), width}));
}

void RunChart::setSlot(int slot)
{
    m_slot = qBound(0, slot, kPlotSlots - 1);
    m_valueAxis->setTitleText(slotName(m_slot));
    applyStyle();
    redraw();
}

void RunChart::showWhole()
{
    qint64 longest = 0;
    for (size_t n = 0; m_runs && n < m_runs->size(); ++n)
        longest = qMax(longest, (*m_runs)[n]->summary.durationMs);
    setWindow(0, qMax<qint64>(longest, 1000));
}

void RunChart::setWindow(qint64 t0, qint64 t1)
{
    if (t1 - t0 < 1000) {
        const qint64 centre = (t0 + t1) / 2;
        t0 = centre - 500;
        t1 = centre + 500;
    }
    m_t0 = t0;
    m_t1 = t1;
    redraw();
}

void RunChart::redraw()
{
    m_columns = int(m_chart->plotArea().width());
    QVector<CurveFeed::Curve> curves;
    QVector<int> runOf; // the run each curve draws
    for (int n = 0; n < m_series.size(); ++n) {
        const LoadedRun &loaded = *(*m_runs)[size_t(n)];
        if (loaded.run.has(kSlotQuantity[m_slot])) {
            curves.append({&loaded.run.rows, &loaded.pyramid, m_slot});
            runOf.append(n);
        } else {
            m_curves->setPoints(n, {});
        }
    }
    auto [lo, hi] = m_feed.fill(curves, m_t0, m_t1, qMax(100, m_columns),
                                [&](int index, const QVector<QPointF> &points) {
        m_curves->setPoints(runOf[index], points);
    });
    if (!(hi >= lo)) {
        lo = 0;
        hi = 1;
    }
    const double pad = hi > lo ? (hi - lo) * 0.05 : qMax(1.0, std::abs(hi) * 0.05);
    lo -= pad;
    hi += pad;
    const QString unit = QString::fromUtf8(proto::baseUnit(kSlotQuantity[size_t(m_slot)]));
    applyAxisRange(m_valueAxis, unit, kValueLabels, decimalsFor((hi - lo) / kValueLabels), lo, hi);

    clearAxisLabels(m_timeAxis);
    m_timeAxis->setRange(double(m_t0), double(m_t1));
    m_timeAxis->setStartValue(double(m_t0));
    const QVector<ElapsedTick> ticks = elapsedTicks(m_t0, m_t1, kMaxTimeTicks);
    for (const ElapsedTick &tick : ticks)
        m_timeAxis->append(tick.text, double(tick.ms));
    keepLastTimeLabel(ticks.isEmpty() ? QString() : ticks.last().text);
}

// A time label is centred on its tick: the last one, at the plot's right edge, needs half its
// width of room beyond it.
void RunChart::keepLastTimeLabel(const QString &text)
{
    const int room = QFontMetrics(m_timeAxis->labelsFont()).horizontalAdvance(text) / 2 + 4;
    QMargins margins = m_chart->margins();
    if (margins.right() >= room)
        return;
    margins.setRight(room);
    m_chart->setMargins(margins);
}

} // namespace review
