#include "review/run_chart_view.h"

#include "review/run_chart.h"
#include "chart/wheel_zoom.h"

#include <QWheelEvent>

namespace review {

RunChartView::RunChartView(RunChart *chart, QWidget *parent)
    : DragZoomView(chart->chart(), parent), m_runChart(chart)
{
    setRenderHint(QPainter::Antialiasing, false);
    setAccessibleName(tr("记录曲线"));
}

void RunChartView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        setAccessibleName(tr("记录曲线"));
    DragZoomView::changeEvent(event);
}

void RunChartView::rightClicked()
{
    m_runChart->showWhole();
}

void RunChartView::dragBy(int dx)
{
    const qreal plotWidth = chart()->plotArea().width();
    if (plotWidth <= 0)
        return;
    const qint64 t0 = m_runChart->windowStart();
    const qint64 t1 = m_runChart->windowEnd();
    const qint64 shift = dragShift(t0, t1, dx, plotWidth);
    m_runChart->setWindow(t0 + shift, t1 + shift);
}

void RunChartView::wheelStep(QWheelEvent *event)
{
    const QRectF plot = chart()->plotArea();
    if (plot.width() <= 0)
        return;
    const double ratio = qBound(0.0, (event->position().x() - plot.left()) / plot.width(), 1.0);
    // The live chart's zoom step, in whole seconds of elapsed time.
    const qint64 t0 = m_runChart->windowStart() / 1000;
    const qint64 t1 = m_runChart->windowEnd() / 1000;
    const qint64 base = qMin<qint64>(t0, 0);
    const TimeWindow window =
        wheelZoomWindow(quint32(t0 - base), quint32(t1 - base), ratio, event->angleDelta().y());
    m_runChart->setWindow((window.minSecs + base) * 1000, (window.maxSecs + base) * 1000);
}

} // namespace review
