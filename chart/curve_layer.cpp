#include "chart/curve_layer.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QPainter>
#include <QValueAxis>
#include <QXYSeries>

using namespace QtCharts;

namespace {
// Above the chart's grid and axes, where its line series sit.
constexpr qreal kCurveZ = 4;
} // namespace

CurveLayer::CurveLayer(QChart *chart, QAbstractAxis *timeAxis)
    : QGraphicsObject(chart), m_chart(chart), m_timeAxis(timeAxis)
{
    setZValue(kCurveZ);
    setAcceptedMouseButtons(Qt::NoButton);
    connect(chart, &QChart::plotAreaChanged, this, &CurveLayer::followPlotArea);
    if (auto *dateTime = qobject_cast<QDateTimeAxis *>(timeAxis))
        connect(dateTime, &QDateTimeAxis::rangeChanged, this, [this] { update(); });
    else if (auto *value = qobject_cast<QValueAxis *>(timeAxis))
        connect(value, &QValueAxis::rangeChanged, this, [this] { update(); });
    followPlotArea();
}

QPair<double, double> CurveLayer::timeRange() const
{
    if (auto *dateTime = qobject_cast<QDateTimeAxis *>(m_timeAxis))
        return {double(dateTime->min().toMSecsSinceEpoch()),
                double(dateTime->max().toMSecsSinceEpoch())};
    if (auto *value = qobject_cast<QValueAxis *>(m_timeAxis))
        return {value->min(), value->max()};
    return {0, 0};
}

void CurveLayer::setCurve(int index, QXYSeries *penSource, QValueAxis *axis)
{
    Curve &curve = m_curves[size_t(index)];
    if (curve.penSource)
        disconnect(curve.penSource, nullptr, this, nullptr);
    curve.penSource = penSource;
    curve.axis = axis;
    connect(penSource, &QXYSeries::penChanged, this, [this] { update(); });
    connect(axis, &QValueAxis::rangeChanged, this, [this] { update(); });
    update();
}

void CurveLayer::setPoints(int index, const QVector<QPointF> &points)
{
    QVector<QPointF> &mine = m_curves[size_t(index)].points;
    if (mine.isEmpty() && points.isEmpty())
        return;
    mine = points;
    update();
}

void CurveLayer::followPlotArea()
{
    prepareGeometryChange();
    m_plot = m_chart->plotArea();
}

void CurveLayer::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const auto [t0, t1] = timeRange();
    if (m_plot.isEmpty() || t1 <= t0)
        return;
    const double dx = m_plot.width() / (t1 - t0);
    painter->save();
    painter->setClipRect(m_plot);
    painter->setBrush(Qt::NoBrush);
    for (const Curve &curve : m_curves) {
        if (curve.points.size() < 2 || !curve.penSource || !curve.axis)
            continue;
        const double v0 = curve.axis->min();
        const double v1 = curve.axis->max();
        if (v1 <= v0)
            continue;
        const double dy = m_plot.height() / (v1 - v0);
        auto pixel = [&](const QPointF &p) {
            return QPointF(m_plot.left() + (p.x() - t0) * dx, m_plot.top() + (v1 - p.y()) * dy);
        };
        m_lines.resize(curve.points.size() - 1);
        QPointF from = pixel(curve.points.first());
        for (int i = 1; i < curve.points.size(); ++i) {
            const QPointF to = pixel(curve.points[i]);
            m_lines[i - 1] = QLineF(from, to);
            from = to;
        }
        painter->setPen(curve.penSource->pen());
        painter->drawLines(m_lines);
    }
    painter->restore();
}
