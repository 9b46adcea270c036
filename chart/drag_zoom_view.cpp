#include "chart/drag_zoom_view.h"

#include <QMouseEvent>
#include <QWheelEvent>

DragZoomView::DragZoomView(QWidget *parent) : QChartView(parent)
{
    setCursor(Qt::PointingHandCursor);
}

DragZoomView::DragZoomView(QtCharts::QChart *chart, QWidget *parent) : QChartView(chart, parent)
{
    setCursor(Qt::PointingHandCursor);
}

qint64 DragZoomView::dragShift(qint64 t0, qint64 t1, int dx, qreal plotWidth)
{
    return plotWidth > 0 ? qint64(-dx * double(t1 - t0) / plotWidth) : 0;
}

void DragZoomView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_lastX = qRound(event->localPos().x());
        m_dragging = true;
    } else if (event->button() == Qt::RightButton) {
        rightClicked();
    }
}

void DragZoomView::mouseReleaseEvent(QMouseEvent *)
{
    m_dragging = false;
}

void DragZoomView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    const int x = qRound(event->localPos().x());
    const int dx = x - m_lastX;
    m_lastX = x;
    dragBy(dx);
}

void DragZoomView::wheelEvent(QWheelEvent *event)
{
    wheelStep(event);
}
