#include "chart/curve_feed.h"

#include <limits>

CurveFeed::Spans &CurveFeed::entryOf(const SampleStore &store, qint64 t0, qint64 t1, qreal width)
{
    for (Spans &s : m_spans) {
        if (s.store != &store)
            continue;
        if (s.generation != store.generation() || s.rows != store.size() || s.width != width ||
            s.spans.t0 != t0 || s.spans.t1 != t1) {
            const bool sameRun = s.generation == store.generation() && s.rows <= store.size();
            s.generation = store.generation();
            s.rows = store.size();
            s.width = width;
            s.spans = columnSpans(store, t0, t1, width, sameRun ? &s.spans : nullptr);
        }
        return s;
    }
    m_spans.append({&store, store.generation(), store.size(), width,
                    columnSpans(store, t0, t1, width), ColumnMemo()});
    return m_spans.last();
}

const ColumnSpans &CurveFeed::spans(const SampleStore &store, qint64 t0, qint64 t1, qreal width)
{
    return entryOf(store, t0, t1, width).spans;
}

QPair<double, double> CurveFeed::fill(const QVector<Curve> &curves, qint64 t0, qint64 t1,
                                      qreal width, const Sink &sink)
{
    QPair<double, double> range(std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity());
    // The curves of one store are worked out together.
    QVector<bool> done(curves.size());
    for (int index = 0; index < curves.size(); ++index) {
        if (done[index])
            continue;
        const SampleStore &store = *curves[index].store;
        QVector<int> members, slots;
        for (int other = index; other < curves.size(); ++other) {
            if (curves[other].store == &store) {
                members.append(other);
                slots.append(curves[other].slot);
                done[other] = true;
            }
        }
        Spans &entry = entryOf(store, t0, t1, width);
        decimatedPoints(store, *curves[index].pyramid, slots, entry.spans, m_points, &entry.memo);
        for (int m = 0; m < members.size(); ++m) {
            for (const QPointF &p : qAsConst(m_points[m])) {
                range.first = qMin(range.first, p.y());
                range.second = qMax(range.second, p.y());
            }
            sink(members[m], m_points[m]);
        }
    }
    return range;
}
