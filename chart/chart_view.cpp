#include "chart/chart_view.h"

#include "chart/chart_log.h"
#include "chart/wheel_zoom.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QKeyEvent>
#include <QWheelEvent>

using namespace QtCharts;

ChartView::ChartView(QChart *chart, QWidget *parent) : DragZoomView(parent)
{
    setMouseTracking(false);
    setAccessibleName(tr("实时曲线"));
    setChart(chart);
    // The chart, as large as the view, fills it with its own background on every repaint; the
    // viewport's fill beneath would never show.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        setAccessibleName(tr("实时曲线"));
    DragZoomView::changeEvent(event);
}

void ChartView::dragBy(int dx)
{
    QDateTimeAxis *axis = timeAxis();
    const qreal plotWidth = chart()->plotArea().width();
    if (m_windowHandler && axis && plotWidth > 0) {
        const qint64 min = axis->min().toMSecsSinceEpoch();
        const qint64 max = axis->max().toMSecsSinceEpoch();
        const qint64 shift = dragShift(min, max, dx, plotWidth);
        moveWindow(QDateTime::fromMSecsSinceEpoch(min + shift),
                   QDateTime::fromMSecsSinceEpoch(max + shift));
    } else {
        chart()->scroll(-dx, 0);
    }
    m_manual = true;
}

void ChartView::wheelStep(QWheelEvent *event)
{
    m_manual = true;
    const int x = qRound(event->position().x());
    const int delta = event->angleDelta().y();
    const qreal width = chart()->geometry().width();
    const double ratio = width > 0 ? x / width : 0.0;
    if (ctrlHeld)
        return; // the wheel with Control is kept for the value axes
    QDateTimeAxis *timeAxis = this->timeAxis();
    if (!timeAxis)
        return;
    const auto tmin = quint32(timeAxis->min().toSecsSinceEpoch());
    const auto tmax = quint32(timeAxis->max().toSecsSinceEpoch());
    const TimeWindow window = wheelZoomWindow(tmin, tmax, ratio, delta);
    moveWindow(QDateTime::fromSecsSinceEpoch(window.minSecs),
               QDateTime::fromSecsSinceEpoch(window.maxSecs));
}

void ChartView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Control)
        ctrlHeld = true;
}

void ChartView::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Control)
        ctrlHeld = false;
}

QDateTimeAxis *ChartView::timeAxis() const
{
    const QList<QAbstractAxis *> axes = chart()->axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis *>(axes.first());
}

void ChartView::moveWindow(const QDateTime &min, const QDateTime &max)
{
    if (m_windowHandler)
        m_windowHandler(min, max);
    else if (QDateTimeAxis *axis = timeAxis())
        axis->setRange(min, max);
}
