#include "decimated_view.h"

qint64 columnStart(qint64 t0, qint64 t1, int columns, int c)
{
    if (c >= columns)
        return t1 + 1;
    return t0 + qint64((double(t1 - t0) * c) / columns);
}

qint64 firstRowAtOrAfter(const SampleStore &store, qint64 t, qint64 from)
{
    qint64 lo = from;
    qint64 hi = store.size();
    while (lo < hi) {
        const qint64 mid = lo + (hi - lo) / 2;
        if (store.order(mid) < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

ColumnSpans columnSpans(const SampleStore &store, qint64 t0, qint64 t1, int columns)
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

namespace {
QPointF pointAt(const SampleStore &store, Quantity q, qint64 row)
{
    return {double(store.order(row)), double(store.value(row, q))};
}
} // namespace

void decimatedPoints(const SampleStore &store, const MinMaxPyramid &pyramid, int slot,
                     const ColumnSpans &spans, QVector<QPointF> &out)
{
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
