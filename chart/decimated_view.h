#pragma once
// What a curve gets to draw of a time range: every sample while they are few, otherwise per pixel
// column its lowest and highest sample, so the drawn line covers exactly the pixels of all samples
// (the line between two columns runs between their ranges, as the samples' own line does). The
// cost depends on the number of columns, not on the run's length.

#include "chart/minmax_pyramid.h"

#include <QPointF>
#include <QVector>

// The rows of the store that fall into each pixel column of t0 … t1 (milliseconds of the store's
// ordering time).
struct ColumnSpans
{
    qint64 t0 = 0;
    qint64 t1 = 0;
    int columns = 0;
    QVector<qint64> starts; // columns + 1 row indices; column c holds rows [starts[c], starts[c+1])
    qint64 before = -1;     // last row before t0, or -1
    qint64 after = -1;      // first row after t1, or -1

    qint64 visibleRows() const { return starts.isEmpty() ? 0 : starts.last() - starts.first(); }
    // More samples than two per column: each column is drawn by its extremes.
    bool dense() const { return visibleRows() > 2 * qint64(columns); }
};

// The pixel columns of a plot `width` pixels wide, the last perhaps part of one. Columns as wide
// as the pixels keep their rows when the view moves by whole pixels.
int columnCount(qreal width);
// First time (ms) of column c; column columnCount(width) starts after t1.
qint64 columnStart(qint64 t0, qint64 t1, qreal width, int c);

ColumnSpans columnSpans(const SampleStore &store, qint64 t0, qint64 t1, qreal width);

// The points of each slot of `slots` for the spans, into the same place of `out`, in time order, x
// in the store's ordering milliseconds. The slots' columns are worked out together.
void decimatedPoints(const SampleStore &store, const MinMaxPyramid &pyramid,
                     const QVector<int> &slots, const ColumnSpans &spans,
                     QVector<QVector<QPointF>> &out);
void decimatedPoints(const SampleStore &store, const MinMaxPyramid &pyramid, int slot,
                     const ColumnSpans &spans, QVector<QPointF> &out);
