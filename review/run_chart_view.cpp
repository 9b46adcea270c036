#include "run_chart_view.h"

#include "run_chart.h"
#include "wheel_zoom.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace review {

RunChartView::RunChartView(RunChart *chart, QWidget *parent)
    : QChartView(chart->chart(), parent), m_runChart(chart)
{
    setRenderHint(QPainter::Antialiasing, false);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(tr("记录曲线"));
}

void RunChartView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        setAccessibleName(tr("记录曲线"));
    QChartView::changeEvent(event);
}

void RunChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_lastX = qRound(event->localPos().x());
        m_dragging = true;
    } else if (event->button() == Qt::RightButton) {
        m_runChart->showWhole();
    }
}

void RunChartView::mouseReleaseEvent(QMouseEvent *)
{
    m_dragging = false;
}

void RunChartView::mouseMoveEvent(QMouseEvent *event)
{
    const qreal plotWidth = chart()->plotArea().width();
    if (!m_dragging || plotWidth <= 0)
        return;
    const int x = qRound(event->localPos().x());
    const int dx = x - m_lastX;
    m_lastX = x;
    const qint64 t0 = m_runChart->windowStart();
    const qint64 t1 = m_runChart->windowEnd();
    const auto shift = qint64(-dx * double(t1 - t0) / plotWidth);
    m_runChart->setWindow(t0 + shift, t1 + shift);
}

void RunChartView::wheelEvent(QWheelEvent *event)
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
