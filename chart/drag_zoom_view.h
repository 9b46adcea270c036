#pragma once
// A chart view whose time axis the user moves: a left drag pans it pixel by pixel, the wheel
// zooms it, a right click gives it back. The base view's own mouse handling never runs; what a
// step does to the window is the subclass's.

#include <QtCharts/QChartView>

class DragZoomView : public QtCharts::QChartView
{
    Q_OBJECT
public:
    explicit DragZoomView(QWidget *parent = nullptr);
    explicit DragZoomView(QtCharts::QChart *chart, QWidget *parent = nullptr);

protected:
    // One step of a left drag, `dx` pixels to the right since the last.
    virtual void dragBy(int dx) = 0;
    virtual void wheelStep(QWheelEvent *event) = 0;
    virtual void rightClicked() = 0;

    // The window t0 … t1 dragged `dx` pixels over a plot `plotWidth` wide moves by this much, in
    // the window's own unit: the same move as scrolling the chart by −dx pixels.
    static qint64 dragShift(qint64 t0, qint64 t1, int dx, qreal plotWidth);

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    int m_lastX = 0;
    bool m_dragging = false;
};
