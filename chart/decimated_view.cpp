#include "chart/decimated_view.h"

#include <cmath>
#include <limits>

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

void ColumnMemo::begin(quint64 generation, unsigned slotMask)
{
    if (generation != m_generation || slotMask != m_slotMask) {
        m_generation = generation;
        m_slotMask = slotMask;
        m_last.clear();
    }
    m_next.clear();
}

const ColumnMemo::Column *ColumnMemo::find(qint64 first, qint64 end, int &cursor) const
{
    while (cursor < m_last.size() && m_last[cursor].first < first - kFewRows)
        ++cursor;
    for (int k = cursor; k < m_last.size() && m_last[k].first <= first + kFewRows; ++k) {
        const Column &c = m_last[k];
        if (qAbs(c.end - end) <= kFewRows && qMax(c.first, first) < qMin(c.end, end))
            return &c;
    }
    return nullptr;
}

namespace {
// The extents of rows first … end - 1: from the remembered column when the rows it had and this
// one has not were strictly inside its extents (so none of them was an extreme), otherwise from
// the pyramid.
MinMaxPyramid::Extents columnExtents(const SampleStore &store, const MinMaxPyramid &pyramid,
                                     qint64 first, qint64 end, unsigned mask,
                                     const ColumnMemo::Column *memo)
{
    if (memo) {
        MinMaxPyramid::Extents e = memo->extents;
        // Calls f(slot, value) for the slots' values of rows from … to - 1 while it returns true.
        const auto everyValue = [&](qint64 from, qint64 to, const auto &f) {
            for (qint64 row = from; row < to; ++row)
                for (size_t s = 0; s < size_t(kPlotSlots); ++s)
                    if ((mask & (1u << s)) && !f(s, store.value(row, kSlotQuantity[s])))
                        return false;
            return true;
        };
        const auto inside = [&](qint64 from, qint64 to) {
            return everyValue(from, to,
                              [&](size_t s, float v) { return v > e[s].min && v < e[s].max; });
        };
        const auto widen = [&](qint64 from, qint64 to) {
            everyValue(from, to, [&](size_t s, float v) {
                e[s].min = qMin(e[s].min, v);
                e[s].max = qMax(e[s].max, v);
                return true;
            });
        };
        if (inside(memo->first, first) && inside(end, memo->end)) {
            widen(first, memo->first);
            widen(memo->end, end);
            return e;
        }
    }
    return pyramid.extents(store, first, end - 1, mask);
}
} // namespace

ColumnSpans columnSpans(const SampleStore &store, qint64 t0, qint64 t1, qreal width,
                        const ColumnSpans *last)
{
    ColumnSpans spans;
    spans.t0 = t0;
    spans.t1 = t1;
    spans.rows = store.size();
    spans.columns = columnCount(width);
    spans.starts.resize(spans.columns + 1);
    spans.timesBefore.resize(spans.columns + 1);
    spans.timesAt.resize(spans.columns + 1);
    if (last && last->columns != spans.columns)
        last = nullptr;
    for (int c = 0; c <= spans.columns; ++c) {
        const qint64 t = columnStart(t0, t1, width, c);
        const qint64 from = c > 0 ? spans.starts[c - 1] : 0;
        // Rows are only added at the end, so a column start that still falls between the times
        // around its last first row starts at that row again.
        if (last && last->starts[c] < last->rows && last->timesBefore[c] < t &&
            t <= last->timesAt[c]) {
            spans.starts[c] = last->starts[c];
            spans.timesBefore[c] = last->timesBefore[c];
            spans.timesAt[c] = last->timesAt[c];
            continue;
        }
        // The columns span equal times, so a column's first row is expected as many rows after
        // the last one's as that one had: on an even run the search then reads a row or two.
        const qint64 near = c > 1 ? 2 * from - spans.starts[c - 2] : -1;
        const qint64 row = store.firstRowAtOrAfter(t, from, near);
        spans.starts[c] = row;
        spans.timesBefore[c] = row > 0 ? store.order(row - 1) : std::numeric_limits<qint64>::min();
        spans.timesAt[c] =
            row < store.size() ? store.order(row) : std::numeric_limits<qint64>::max();
    }
    spans.before = spans.starts.first() - 1;
    spans.after = spans.starts.last() < store.size() ? spans.starts.last() : -1;
    return spans;
}

void decimatedPoints(const SampleStore &store, const MinMaxPyramid &pyramid,
                     const QVector<int> &slots, const ColumnSpans &spans,
                     QVector<QVector<QPointF>> &out, ColumnMemo *memo)
{
    const int curves = slots.size();
    out.resize(curves);
    unsigned mask = 0;
    for (int slot : slots)
        mask |= 1u << slot;
    const auto point = [&](qint64 row, int slot) {
        return QPointF(double(store.order(row)),
                       double(store.value(row, kSlotQuantity[size_t(slot)])));
    };
    for (int i = 0; i < curves; ++i) {
        out[i].clear();
        out[i].reserve(int(qMin(spans.visibleRows(), 2 * qint64(spans.columns))) + 2);
        if (spans.before >= 0)
            out[i].append(point(spans.before, slots[i]));
    }
    if (memo)
        memo->begin(store.generation(), mask);
    int cursor = 0;
    for (int c = 0; c < spans.columns; ++c) {
        const qint64 first = spans.starts[c];
        const qint64 end = spans.starts[c + 1];
        if (!spans.dense() || end - first <= 2) {
            for (int i = 0; i < curves; ++i)
                for (qint64 row = first; row < end; ++row)
                    out[i].append(point(row, slots[i]));
            continue;
        }
        // The column's lowest and highest sample cover every pixel its samples would; they are
        // ordered so the line comes in at the extreme nearer to where it was.
        const bool keep = memo && ColumnMemo::worthKeeping(first, end);
        const MinMaxPyramid::Extents extents = columnExtents(
            store, pyramid, first, end, mask, keep ? memo->find(first, end, cursor) : nullptr);
        if (keep)
            memo->add({first, end, extents});
        const double x0 = double(spans.timesAt[c]);
        const double x1 = double(spans.timesBefore[c + 1]);
        for (int i = 0; i < curves; ++i) {
            const MinMaxPyramid::Extent e = extents[size_t(slots[i])];
            QVector<QPointF> &points = out[i];
            const double from = points.isEmpty()
                                    ? double(store.value(first, kSlotQuantity[size_t(slots[i])]))
                                    : points.last().y();
            const bool lowFirst = qAbs(from - e.min) <= qAbs(from - e.max);
            points.append({x0, double(lowFirst ? e.min : e.max)});
            if (e.max > e.min)
                points.append({x1, double(lowFirst ? e.max : e.min)});
        }
    }
    if (memo)
        memo->finish();
    if (spans.after >= 0)
        for (int i = 0; i < curves; ++i)
            out[i].append(point(spans.after, slots[i]));
}

void decimatedPoints(const SampleStore &store, const MinMaxPyramid &pyramid, int slot,
                     const ColumnSpans &spans, QVector<QPointF> &out)
{
    QVector<QVector<QPointF>> one{std::move(out)};
    decimatedPoints(store, pyramid, {slot}, spans, one);
    out = std::move(one[0]);
}
