#pragma once
// The comparison chart's view, handled like the live chart's: a left drag pans the time axis,
// the wheel zooms it around the mouse, a right click shows the runs whole again.

#include "chart/drag_zoom_view.h"

namespace review {

class RunChart;

class RunChartView : public DragZoomView
{
    Q_OBJECT
public:
    explicit RunChartView(RunChart *chart, QWidget *parent = nullptr);

protected:
    void dragBy(int dx) override;
    void wheelStep(QWheelEvent *event) override;
    void rightClicked() override;
    void changeEvent(QEvent *event) override;

private:
    RunChart *m_runChart;
};

} // namespace review
