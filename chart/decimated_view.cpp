#include "chart/decimated_view.h"

#include <cmath>

int columnCount(qreal width)
{
    return qMax(1, int(std::ceil(width - 1e-6)));
}

qint64 columnStart(qint64 t0, qint64 t1, qreal width, int c)
{
    if (c >= columnCount(width))
        return t1 + 1;
    return t0 + qint64((double(t1 - t0) * c) / qMax<qreal>(width, 1));
}

qint64 firstRowAtOrAfter(const SampleStore &store, qint64 t, qint64 from)
{
    // Binary search, first widened from `from` in doubling steps: a column's first row lies near
    // the previous column's, so the reads stay close together.
    qint64 lo = from;
    qint64 hi = store.size();
    for (qint64 step = 1; lo < hi; step *= 2) {
        const qint64 probe = qMin(hi - 1, lo + step - 1);
        if (store.order(probe) >= t) {
            hi = probe;
            break;
        }
        lo = probe + 1;
    }
    while (lo < hi) {
        const qint64 mid = lo + (hi - lo) / 2;
        if (store.order(mid) < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

ColumnSpans columnSpans(const SampleStore &store, qint64 t0, qint64 t1, qreal width)
{
    ColumnSpans spans;
    spans.t0 = t0;
    spans.t1 = t1;
    spans.columns = columnCount(width);
    spans.starts.resize(spans.columns + 1);
    qint64 row = 0;
    for (int c = 0; c <= spans.columns; ++c)
        spans.starts[c] = row = firstRowAtOrAfter(store, columnStart(t0, t1, width, c), row);
    spans.before = spans.starts.first() - 1;
    spans.after = spans.starts.last() < store.size() ? spans.starts.last() : -1;
    return spans;
}

void decimatedPoints(const SampleStore &store, const MinMaxPyramid &pyramid, int slot,
                     const ColumnSpans &spans, QVector<QPointF> &out, qint64 shift)
{
    const proto::Quantity q = kSlotQuantity[size_t(slot)];
    const auto point = [&](qint64 row) {
        return QPointF(double(store.order(row) + shift), double(store.value(row, q)));
    };
    out.clear();
    out.reserve(int(qMin(spans.visibleRows(), 2 * qint64(spans.columns))) + 2);
    if (spans.before >= 0)
        out.append(point(spans.before));
    for (int c = 0; c < spans.columns; ++c) {
        const qint64 first = spans.starts[c];
        const qint64 end = spans.starts[c + 1];
        if (!spans.dense() || end - first <= 2) {
            for (qint64 row = first; row < end; ++row)
                out.append(point(row));
            continue;
        }
        // The column's lowest and highest sample cover every pixel its samples would; they are
        // ordered so the line comes in at the extreme nearer to where it was.
        const MinMaxPyramid::Extent e = pyramid.extent(store, slot, first, end - 1);
        const double from = out.isEmpty() ? double(store.value(first, q)) : out.last().y();
        const bool lowFirst = qAbs(from - e.min) <= qAbs(from - e.max);
        const double x0 = double(store.order(first) + shift);
        const double x1 = double(store.order(end - 1) + shift);
        out.append({x0, double(lowFirst ? e.min : e.max)});
        if (e.max > e.min)
            out.append({x1, double(lowFirst ? e.max : e.min)});
    }
    if (spans.after >= 0)
        out.append(point(spans.after));
}
