#pragma once
// What a series gets to draw of a time range: every sample while they are few, otherwise per
// pixel column its lowest and highest sample, so the drawn line covers exactly the pixels of all
// samples (the line between two columns runs between their ranges, as the samples' own line
// does). The cost depends on the number of columns, not on the run's length.

#include "minmax_pyramid.h"

#include <QPointF>
#include <QVector>

// The rows of the store that fall into each pixel column of t0 … t1 (milliseconds).
struct ColumnSpans
{
    qint64 t0 = 0;
    qint64 t1 = 0;
    int columns = 0;
    QVector<qint64> starts; // columns + 1 row indices; column c holds rows [starts[c], starts[c+1])
    qint64 before = -1;     // last row before t0, or -1
    qint64 after = -1;      // first row after t1, or -1

    qint64 visibleRows() const { return starts.isEmpty() ? 0 : starts.last() - starts.first(); }
    // Few enough samples to hand over one by one (and to draw as a spline).
    bool dense() const { return visibleRows() > 2 * qint64(columns); }
};

// First time (ms) of column c; column `columns` starts after t1.
qint64 columnStart(qint64 t0, qint64 t1, int columns, int c);

// First row at or after `from` whose time is >= t (store times ascending); size() if none.
qint64 firstRowAtOrAfter(const SampleStore &store, qint64 t, qint64 from = 0);

ColumnSpans columnSpans(const SampleStore &store, qint64 t0, qint64 t1, int columns);

// The points of one slot for the spans, in time order, x in milliseconds since the epoch.
void decimatedPoints(const SampleStore &store, const MinMaxPyramid &pyramid, int slot,
                     const ColumnSpans &spans, QVector<QPointF> &out);
