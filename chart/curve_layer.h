#pragma once
// Draws the long curves of the live chart inside the chart's plot area. The charts library's own
// line series strokes its whole path into a hit-test outline on every change of the time axis,
// which costs more than drawing it; this layer only maps the decimated
// points to pixels and draws them, segment by segment as that series does, with the series' pen.
// The series stay in the chart, empty, for the legend, the axes and the pens.

#include <QGraphicsObject>
#include <QPointer>
#include <QVector>

#include <array>

namespace QtCharts {
class QChart;
class QDateTimeAxis;
class QValueAxis;
class QXYSeries;
} // namespace QtCharts

class CurveLayer : public QGraphicsObject
{
    Q_OBJECT
public:
    static constexpr int kCurves = 8;

    CurveLayer(QtCharts::QChart *chart, QtCharts::QDateTimeAxis *timeAxis);

    // Curve `index` takes its pen from `penSource` and its vertical scale from `axis`.
    void setCurve(int index, QtCharts::QXYSeries *penSource, QtCharts::QValueAxis *axis);
    // Points with x in milliseconds since the epoch; an empty list hides the curve.
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

    QtCharts::QChart *m_chart;
    QtCharts::QDateTimeAxis *m_timeAxis;
    QRectF m_plot;
    std::array<Curve, kCurves> m_curves;
    QVector<QLineF> m_lines; // reused between paints
};
