#pragma once
// What a series gets to draw of a time range: every sample while they are few, otherwise per
// pixel column its lowest and highest sample, so the drawn line covers exactly the pixels of all
// samples (the line between two columns runs between their ranges, as the samples' own line
// does). The cost depends on the number of columns, not on the run's length.

#include "chart/minmax_pyramid.h"

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

// The columns' extents of one slot as last worked out. A followed sample on a long run moves a
// column's edges by a row or none, and a pan moves the columns by whole pixels, so most columns
// were there before, give or take a few rows at their ends: they then cost a few raw reads instead
// of a walk down the pyramid, whose reads all miss the cache once the run is long.
class ColumnMemo
{
public:
    struct Column
    {
        qint64 first;
        qint64 end; // rows first … end - 1
        MinMaxPyramid::Extent extent;
    };
    static constexpr qint64 kFewRows = 8;
    // A column of a few dozen rows is read as it is: that costs less than keeping it.
    static bool worthKeeping(qint64 first, qint64 end) { return end - first > 4 * kFewRows; }

    // Starts a pass over the columns, in row order, of a store in `generation`.
    void begin(quint64 generation);
    // A column of the last pass that rows first … end - 1 share rows with and differ from by at
    // most a few rows at each end; null if none. `cursor` starts at 0 and follows the pass.
    const Column *find(qint64 first, qint64 end, int &cursor) const;
    void add(const Column &column) { m_next.append(column); }
    void finish() { m_last.swap(m_next); }

private:
    quint64 m_generation = 0;
    QVector<Column> m_last; // in row order
    QVector<Column> m_next;
};

// The pixel columns of a plot `width` pixels wide, the last perhaps part of one. Columns as wide
// as the pixels keep their rows when the view moves by whole pixels.
int columnCount(qreal width);
// First time (ms) of column c; column columnCount(width) starts after t1.
qint64 columnStart(qint64 t0, qint64 t1, qreal width, int c);

// The functions below take any store with size(), time(row) in ascending milliseconds and
// value(row, proto::Quantity): the live run's and a reopened run's.

// First row at or after `from` whose time is >= t (store times ascending); size() if none.
template <class Store> qint64 firstRowAtOrAfter(const Store &store, qint64 t, qint64 from = 0);

template <class Store>
ColumnSpans columnSpans(const Store &store, qint64 t0, qint64 t1, qreal width);

// The points of one slot for the spans, in time order, x in the store's milliseconds. `memo`, when
// given, is kept for the same slot and store from call to call.
template <class Store>
void decimatedPoints(const Store &store, const MinMaxPyramid &pyramid, int slot,
                     const ColumnSpans &spans, QVector<QPointF> &out, ColumnMemo *memo = nullptr);

template <class Store> qint64 firstRowAtOrAfter(const Store &store, qint64 t, qint64 from)
{
    qint64 below = from;                 // a row before t
    qint64 atOrAfter = store.size() - 1; // a row at or after t
    if (below > atOrAfter || store.order(below) >= t)
        return below;
    if (store.order(atOrAfter) < t)
        return atOrAfter + 1;
    // Rows come about evenly in time: start where the times put the row and widen from there in
    // doubling steps until it is bracketed. A long run then costs a few reads near the row, not
    // a search through the whole store, whose reads all miss the cache.
    const double share =
        double(t - store.order(below)) / double(store.order(atOrAfter) - store.order(below));
    const qint64 guess =
        qBound(below + 1, below + 1 + qint64(share * double(atOrAfter - below - 1)), atOrAfter);
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

namespace decimation_detail {
// Columns whose reads are asked of the memory while one is worked out.
constexpr int kAhead = 8;
// Rows per column up to which the columns' first rows are found by stepping through the rows.
constexpr qint64 kStepRows = 4;

// The first rows of columns 1 … columns - 1 between those of the first column and the end.
template <class Store> void searchColumnStarts(const Store &store, ColumnSpans &spans, qreal width)
{
    const qint64 t0 = spans.t0;
    const qint64 t1 = spans.t1;
    qint64 previous = spans.starts[0];
    const qint64 rows = store.size();
    const double firstTime = rows > 0 ? double(store.order(0)) : 0;
    const double rowsPerMs =
        rows > 1 ? double(rows - 1) / (double(store.order(rows - 1)) - firstTime + 1) : 0;
    for (int c = 1; c < spans.columns; ++c) {
        // Each search waits for the last; the memory is asked ahead for where the rows would be,
        // were they evenly spaced in time, so that on a long run the reads do not wait in turn.
        if (c + kAhead < spans.columns) {
            const double at =
                (double(columnStart(t0, t1, width, c + kAhead)) - firstTime) * rowsPerMs;
            if (at >= 0 && at < double(rows))
                __builtin_prefetch(store.orderAddress(qint64(at)));
        }
        // Rows of earlier columns never lie after this one's start: search only what is left.
        spans.starts[c] = previous =
            firstRowAtOrAfter(store, columnStart(t0, t1, width, c), previous);
    }
}
} // namespace decimation_detail

template <class Store>
ColumnSpans columnSpans(const Store &store, qint64 t0, qint64 t1, qreal width)
{
    using decimation_detail::kStepRows;
    ColumnSpans spans;
    spans.t0 = t0;
    spans.t1 = t1;
    spans.columns = columnCount(width);
    spans.starts.resize(spans.columns + 1);
    const int last = spans.columns;
    spans.starts[0] = firstRowAtOrAfter(store, columnStart(t0, t1, width, 0));
    spans.starts[last] =
        firstRowAtOrAfter(store, columnStart(t0, t1, width, last), spans.starts[0]);
    if (spans.starts[last] - spans.starts[0] <= kStepRows * qint64(last)) {
        // A few rows per column: stepping through them costs less than a search per column.
        qint64 row = spans.starts[0];
        for (int c = 1; c < last; ++c) {
            const qint64 t = columnStart(t0, t1, width, c);
            while (row < spans.starts[last] && store.order(row) < t)
                ++row;
            spans.starts[c] = row;
        }
    } else {
        decimation_detail::searchColumnStarts(store, spans, width);
    }
    spans.before = spans.starts.first() - 1;
    spans.after = spans.starts.last() < store.size() ? spans.starts.last() : -1;
    return spans;
}

namespace decimation_detail {
template <class Store> QPointF pointAt(const Store &store, proto::Quantity q, qint64 row)
{
    return {double(store.order(row)), double(store.value(row, q))};
}

// Asks the memory ahead for what columnExtent() will read.
template <class Store>
void prefetchColumn(const Store &store, const MinMaxPyramid &pyramid, int slot, qint64 first,
                    qint64 end, const ColumnMemo::Column *memo)
{
    if (!memo) {
        pyramid.prefetchEdge(store, slot, first);
        return;
    }
    const proto::Quantity q = kSlotQuantity[size_t(slot)];
    if (memo->first != first)
        __builtin_prefetch(&store.value(qMin(memo->first, first), q));
    if (memo->end != end)
        __builtin_prefetch(&store.value(qMin(memo->end, end), q));
}

// The extent of rows first … end - 1: from the column `memo` found when the rows it had and this
// one has not were strictly inside its extent, otherwise from the pyramid.
template <class Store>
MinMaxPyramid::Extent columnExtent(const Store &store, const MinMaxPyramid &pyramid, int slot,
                                   qint64 first, qint64 end, const ColumnMemo::Column *memo)
{
    if (memo) {
        const proto::Quantity q = kSlotQuantity[size_t(slot)];
        MinMaxPyramid::Extent e = memo->extent;
        const auto inside = [&](qint64 from, qint64 to) {
            for (qint64 row = from; row < to; ++row) {
                const float v = store.value(row, q);
                if (!(v > e.min && v < e.max))
                    return false;
            }
            return true;
        };
        const auto widen = [&](qint64 from, qint64 to) {
            for (qint64 row = from; row < to; ++row) {
                const float v = store.value(row, q);
                e.min = qMin(e.min, v);
                e.max = qMax(e.max, v);
            }
        };
        if (inside(memo->first, first) && inside(end, memo->end)) {
            widen(first, memo->first);
            widen(memo->end, end);
            return e;
        }
    }
    return pyramid.extent(store, slot, first, end - 1);
}
} // namespace decimation_detail

template <class Store>
void decimatedPoints(const Store &store, const MinMaxPyramid &pyramid, int slot,
                     const ColumnSpans &spans, QVector<QPointF> &out, ColumnMemo *memo)
{
    using decimation_detail::pointAt;
    const proto::Quantity q = kSlotQuantity[slot];
    out.clear();
    out.reserve(int(qMin(spans.visibleRows(), 2 * qint64(spans.columns))) + 2);
    if (spans.before >= 0)
        out.append(pointAt(store, q, spans.before));
    if (!spans.dense()) {
        for (qint64 row = spans.starts.first(); row < spans.starts.last(); ++row)
            out.append(pointAt(store, q, row));
    } else {
        if (memo)
            memo->begin(store.generation());
        int cursor = 0;
        int cursorAhead = 0;
        using decimation_detail::kAhead;
        const auto remembered = [&](qint64 first, qint64 end, int &at) {
            return memo && ColumnMemo::worthKeeping(first, end) ? memo->find(first, end, at)
                                                                : nullptr;
        };
        for (int c = 0; c < spans.columns; ++c) {
            if (c + kAhead < spans.columns) {
                const qint64 first = spans.starts[c + kAhead];
                const qint64 end = spans.starts[c + kAhead + 1];
                if (ColumnMemo::worthKeeping(first, end))
                    decimation_detail::prefetchColumn(store, pyramid, slot, first, end,
                                                      remembered(first, end, cursorAhead));
            }
            const qint64 first = spans.starts[c];
            const qint64 end = spans.starts[c + 1];
            if (end - first <= 2) {
                for (qint64 row = first; row < end; ++row)
                    out.append(pointAt(store, q, row));
                continue;
            }
            // The column's lowest and highest sample cover every pixel its samples would; they
            // are ordered so the line comes in at the extreme nearer to where it was.
            const MinMaxPyramid::Extent e = decimation_detail::columnExtent(
                store, pyramid, slot, first, end, remembered(first, end, cursor));
            if (memo)
                memo->add({first, end, e});
            const double from = out.isEmpty() ? double(store.value(first, q)) : out.last().y();
            const bool lowFirst = qAbs(from - e.min) <= qAbs(from - e.max);
            const double x0 = double(store.order(first));
            const double x1 = double(store.order(end - 1));
            out.append({x0, double(lowFirst ? e.min : e.max)});
            if (e.max > e.min)
                out.append({x1, double(lowFirst ? e.max : e.min)});
        }
        if (memo)
            memo->finish();
    }
    if (spans.after >= 0)
        out.append(pointAt(store, q, spans.after));
}
