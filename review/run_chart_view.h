#pragma once
// The comparison chart's view, handled like the live chart's: a left drag pans the time axis,
// the wheel zooms it around the mouse, a right click shows the runs whole again.

#include <QtCharts/QChartView>

namespace review {

class RunChart;

class RunChartView : public QtCharts::QChartView
{
    Q_OBJECT
public:
    explicit RunChartView(RunChart *chart, QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    RunChart *m_runChart;
    int m_lastX = 0;
    bool m_dragging = false;
};

} // namespace review
