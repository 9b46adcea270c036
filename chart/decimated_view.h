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
    // The ordering times of rows starts[c] - 1 and starts[c], or the lowest and highest time
    // where there is no such row: a later window whose column start lies between them starts the
    // column at the same row, and the column's ends are drawn at them, both without reading the
    // store.
    QVector<qint64> timesBefore;
    QVector<qint64> timesAt;
    qint64 rows = 0;    // the store's, when worked out
    qint64 before = -1; // last row before t0, or -1
    qint64 after = -1;  // first row after t1, or -1

    qint64 visibleRows() const { return starts.isEmpty() ? 0 : starts.last() - starts.first(); }
    // More samples than two per column: each column is drawn by its extremes.
    bool dense() const { return visibleRows() > 2 * qint64(columns); }
};

// The columns' extents as last worked out, kept for the next pass over the same store. A followed
// sample or a pan by whole pixels moves most columns' edges by a few rows, so such a column costs
// those few rows' reads instead of a walk through the pyramid, whose reads all miss the cache once
// the run is long.
class ColumnMemo
{
public:
    struct Column
    {
        qint64 first;
        qint64 end; // rows first … end - 1
        MinMaxPyramid::Extents extents;
    };
    static constexpr qint64 kFewRows = 8;
    // A column of a few dozen rows is read as it is: that costs less than keeping it.
    static bool worthKeeping(qint64 first, qint64 end) { return end - first > 4 * kFewRows; }

    // Starts a pass, in row order, over a store in `generation` for the slots of `slotMask`.
    void begin(quint64 generation, unsigned slotMask);
    // A column of the last pass that rows first … end - 1 share rows with and differ from by at
    // most kFewRows rows at each end; null if none. `cursor` starts at 0 and follows the pass.
    const Column *find(qint64 first, qint64 end, int &cursor) const;
    void add(const Column &column) { m_next.append(column); }
    void finish() { m_last.swap(m_next); }

private:
    quint64 m_generation = 0;
    unsigned m_slotMask = 0;
    QVector<Column> m_last; // in row order
    QVector<Column> m_next;
};

// The pixel columns of a plot `width` pixels wide, the last perhaps part of one. Columns as wide
// as the pixels keep their rows when the view moves by whole pixels.
int columnCount(qreal width);
// First time (ms) of column c; column columnCount(width) starts after t1.
qint64 columnStart(qint64 t0, qint64 t1, qreal width, int c);

// `last`, when given, is an earlier result for the same store (not cleared since), whose column
// starts are kept where they still hold.
ColumnSpans columnSpans(const SampleStore &store, qint64 t0, qint64 t1, qreal width,
                        const ColumnSpans *last = nullptr);

// The points of each slot of `slots` for the spans, into the same place of `out`, in time order, x
// in the store's ordering milliseconds. The slots' columns are worked out together. `memo`, when
// given, is kept for the same store from call to call.
void decimatedPoints(const SampleStore &store, const MinMaxPyramid &pyramid,
                     const QVector<int> &slots, const ColumnSpans &spans,
                     QVector<QVector<QPointF>> &out, ColumnMemo *memo = nullptr);
void decimatedPoints(const SampleStore &store, const MinMaxPyramid &pyramid, int slot,
                     const ColumnSpans &spans, QVector<QPointF> &out);
