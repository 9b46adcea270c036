#pragma once
// The live chart's view: a left drag pans the time axis, the wheel zooms it around the mouse, a
// right click gives the time axis back to the automatic follow. The base view's own key handling
// never runs.

#include "chart/drag_zoom_view.h"

#include <QDateTime>

#include <functional>

namespace QtCharts {
class QDateTimeAxis;
}

class ChartView : public DragZoomView
{
    Q_OBJECT
public:
    explicit ChartView(QtCharts::QChart *chart, QWidget *parent = nullptr);

    // Who moves the time axis for a pan or zoom: the live chart prepares the curves of the new
    // window before the axis moves, so the chart lays its curves out once. Without a handler the
    // axis is moved directly.
    using WindowHandler = std::function<void(const QDateTime &min, const QDateTime &max)>;
    void setWindowHandler(WindowHandler handler) { m_windowHandler = std::move(handler); }

    // Raised by any pan or zoom, cleared by a right click: the live chart's follow leaves a
    // window the user chose alone.
    bool isManual() const { return m_manual; }
    void setManual(bool manual) { m_manual = manual; }

protected:
    void dragBy(int dx) override;
    void wheelStep(QWheelEvent *event) override;
    void rightClicked() override { m_manual = false; }
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool ctrlHeld = false;
    bool m_manual = false;
    WindowHandler m_windowHandler;

    QtCharts::QDateTimeAxis *timeAxis() const;
    void moveWindow(const QDateTime &min, const QDateTime &max);
};
