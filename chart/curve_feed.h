#pragma once
// The one way a chart's curves get their points, for the live chart (eight quantities of the run
// being recorded) and the viewer (one quantity of up to eight runs read back): each curve is one
// slot of a sample store and gets the decimated view of the window at the plot's width, for the
// curve layer (curve_layer.h) or, while they are few, a series of the chart. Curves of one store
// share its column spans, worked out once per window.

#include "chart/decimated_view.h"

#include <QPair>
#include <QVector>

#include <functional>

class CurveFeed
{
public:
    struct Curve
    {
        const SampleStore *store = nullptr;
        const MinMaxPyramid *pyramid = nullptr;
        int slot = 0;
    };
    // Takes curve number `index`'s points.
    using Sink = std::function<void(int index, const QVector<QPointF> &points)>;

    // The rows of `store` in each pixel column of t0 … t1 at `width` pixels.
    const ColumnSpans &spans(const SampleStore &store, qint64 t0, qint64 t1, qreal width);
    // Each curve's points of t0 … t1 go to `sink` (its pyramid up to date with its store). Returns
    // the lowest and highest value given, or an empty range (first > second) if none.
    QPair<double, double> fill(const QVector<Curve> &curves, qint64 t0, qint64 t1, qreal width,
                               const Sink &sink);
    // Stores may have been replaced by others at the same address.
    void forget() { m_spans.clear(); }

private:
    struct Spans
    {
        const SampleStore *store;
        quint64 generation;
        qint64 rows;
        qreal width;
        ColumnSpans spans;
        ColumnMemo memo;
    };
    Spans &entryOf(const SampleStore &store, qint64 t0, qint64 t1, qreal width);
    QVector<Spans> m_spans;
    QVector<QVector<QPointF>> m_points; // by curve of one store
};
