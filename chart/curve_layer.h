#pragma once
// Draws a chart's long curves inside its plot area, for the live chart and the viewer alike. The
// charts library's line series outlines its whole path for hit tests on every change of its
// points or axes, which costs several times the drawing; this layer only maps the points to
// pixels and draws them, segment by segment as that series does, with the series' pen. The series
// stay in the chart, empty, for the legend, the axes and the pens.

#include <QGraphicsObject>
#include <QPointer>
#include <QVector>

#include <array>

namespace QtCharts {
class QChart;
class QAbstractAxis;
class QValueAxis;
class QXYSeries;
} // namespace QtCharts

class CurveLayer : public QGraphicsObject
{
    Q_OBJECT
public:
    static constexpr int kCurves = 8;

    // `timeAxis` is a date-time axis (x in milliseconds since the epoch) or a value axis.
    CurveLayer(QtCharts::QChart *chart, QtCharts::QAbstractAxis *timeAxis);

    // Curve `index` takes its pen from `penSource` and its vertical scale from `axis`.
    void setCurve(int index, QtCharts::QXYSeries *penSource, QtCharts::QValueAxis *axis);
    // Points in the axes' units; an empty list hides the curve.
    void setPoints(int index, const QVector<QPointF> &points);
    const QVector<QPointF> &points(int index) const { return m_curves[size_t(index)].points; }

    QRectF boundingRect() const override { return m_plot; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

private:
    struct Curve
    {
        QPointer<QtCharts::QXYSeries> penSource;
        QPointer<QtCharts::QValueAxis> axis;
        QVector<QPointF> points;
    };

    void followPlotArea();
    // The time axis's range in the points' unit.
    QPair<double, double> timeRange() const;

    QtCharts::QChart *m_chart;
    QtCharts::QAbstractAxis *m_timeAxis;
    QRectF m_plot;
    std::array<Curve, kCurves> m_curves;
    QVector<QLineF> m_lines; // reused between paints
};
