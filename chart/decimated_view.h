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

// The functions below take any store with size(), time(row) in ascending milliseconds and
// value(row, Quantity): the live run's and a reopened run's.

// First row at or after `from` whose time is >= t (store times ascending); size() if none.
template <class Store> qint64 firstRowAtOrAfter(const Store &store, qint64 t, qint64 from = 0);

template <class Store>
ColumnSpans columnSpans(const Store &store, qint64 t0, qint64 t1, int columns);

// The points of one slot for the spans, in time order, x in the store's milliseconds.
template <class Store>
void decimatedPoints(const Store &store, const MinMaxPyramid &pyramid, int slot,
                     const ColumnSpans &spans, QVector<QPointF> &out);

template <class Store> qint64 firstRowAtOrAfter(const Store &store, qint64 t, qint64 from)
{
    qint64 below = from;              // a row before t
    qint64 atOrAfter = store.size() - 1; // a row at or after t
    if (below > atOrAfter || store.order(below) >= t)
        return below;
    if (store.order(atOrAfter) < t)
        return atOrAfter + 1;
    // Rows come about evenly in time: start where the times put the row and widen from there in
    // doubling steps until it is bracketed. A long run then costs a few reads near the row, not
    // a search through the whole store, whose reads all miss the cache.
    const double share = double(t - store.order(below)) /
                         double(store.order(atOrAfter) - store.order(below));
    const qint64 guess = qBound(below + 1, below + 1 + qint64(share * double(atOrAfter - below - 1)),
                                atOrAfter);
    if (store.order(guess) >= t) {
        atOrAfter = guess;
        for (qint64 step = 1; guess - step > below; step *= 2) {
            if (store.order(guess - step) < t) {
                below = guess - step;
                break;
            }
            atOrAfter = guess - step;
        }
    } else {
        below = guess;
        for (qint64 step = 1; guess + step < atOrAfter; step *= 2) {
            if (store.order(guess + step) >= t) {
                atOrAfter = guess + step;
                break;
            }
            below = guess + step;
        }
    }
    qint64 lo = below + 1;
    qint64 hi = atOrAfter;
    while (lo < hi) {
        const qint64 mid = lo + (hi - lo) / 2;
        if (store.order(mid) < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

template <class Store>
ColumnSpans columnSpans(const Store &store, qint64 t0, qint64 t1, int columns)
{
    ColumnSpans spans;
    spans.t0 = t0;
    spans.t1 = t1;
    spans.columns = qMax(1, columns);
    spans.starts.resize(spans.columns + 1);
    qint64 previous = 0;
    for (int c = 0; c <= spans.columns; ++c) {
        // Rows of earlier columns never lie after this one's start: search only what is left.
        spans.starts[c] = previous =
            firstRowAtOrAfter(store, columnStart(t0, t1, spans.columns, c), previous);
    }
    spans.before = spans.starts.first() - 1;
    spans.after = spans.starts.last() < store.size() ? spans.starts.last() : -1;
    return spans;
}

namespace decimation_detail {
template <class Store> QPointF pointAt(const Store &store, Quantity q, qint64 row)
{
    return {double(store.order(row)), double(store.value(row, q))};
}
} // namespace decimation_detail

template <class Store>
void decimatedPoints(const Store &store, const MinMaxPyramid &pyramid, int slot,
                     const ColumnSpans &spans, QVector<QPointF> &out)
{
    using decimation_detail::pointAt;
    const Quantity q = kSlotQuantity[slot];
    out.clear();
    if (spans.before >= 0)
        out.append(pointAt(store, q, spans.before));
    if (!spans.dense()) {
        for (qint64 row = spans.starts.first(); row < spans.starts.last(); ++row)
            out.append(pointAt(store, q, row));
    } else {
        for (int c = 0; c < spans.columns; ++c) {
            const qint64 first = spans.starts[c];
            const qint64 end = spans.starts[c + 1];
            if (end - first <= 2) {
                for (qint64 row = first; row < end; ++row)
                    out.append(pointAt(store, q, row));
                continue;
            }
            // The column's lowest and highest sample cover every pixel its samples would; they
            // are ordered so the line comes in at the extreme nearer to where it was.
            const MinMaxPyramid::Extent e = pyramid.extent(store, slot, first, end - 1);
            const double from = out.isEmpty() ? double(store.value(first, q)) : out.last().y();
            const bool lowFirst = qAbs(from - e.min) <= qAbs(from - e.max);
            const double x0 = double(store.order(first));
            const double x1 = double(store.order(end - 1));
            out.append({x0, double(lowFirst ? e.min : e.max)});
            if (e.max > e.min)
                out.append({x1, double(lowFirst ? e.max : e.min)});
        }
    }
    if (spans.after >= 0)
        out.append(pointAt(store, q, spans.after));
}
