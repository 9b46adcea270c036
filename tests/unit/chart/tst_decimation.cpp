// The pyramid and the decimated view against brute force over random data and random ranges:
// per pixel column the points a series gets reach exactly the lowest and highest sample.

#include "chart/decimated_view.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>

class TestDecimation : public QObject
{
    Q_OBJECT
private slots:
    void pyramidMatchesBruteForce();
    void columnsKeepTheEnvelope_data();
    void columnsKeepTheEnvelope();
    void storeClearRebuilds();
    void storeKeepsEveryRow_data();
    void storeKeepsEveryRow();
    void memoFollowsAGrowingRun_data();
    void memoFollowsAGrowingRun();
};

namespace {

// Rows one second apart with occasional gaps (the instrument or the program paused).
void fill(SampleStore &store, QRandomGenerator &rng, qint64 rows)
{
    qint64 t = 1700000000000;
    for (qint64 i = 0; i < rows; ++i) {
        proto::SampleValues v{};
        for (float &x : v)
            x = float(rng.bounded(2000.0) - 1000.0);
        // Long flat stretches, where first, last and extremes coincide.
        if (i % 997 < 300)
            v.fill(1.0f);
        store.append(t, v);
        t += rng.bounded(50) == 0 ? 1000 * rng.bounded(1, 600) : 1000;
    }
}

// A store of random rows and its pyramid.
struct Filled
{
    Filled(int rows, quint32 seed) : rng(seed)
    {
        fill(store, rng, rows);
        pyramid.sync(store);
    }
    QRandomGenerator rng;
    SampleStore store;
    MinMaxPyramid pyramid;
};

} // namespace

void TestDecimation::pyramidMatchesBruteForce()
{
    QRandomGenerator rng(7);
    SampleStore store;
    MinMaxPyramid pyramid;
    // Grow in steps so that incremental additions and partial blocks are both exercised.
    for (qint64 target : {1, 9, 64, 65, 700, 5000, 40000, 150000}) {
        while (store.size() < target) {
            proto::SampleValues v{};
            for (float &x : v)
                x = float(rng.bounded(100.0) - 50.0);
            store.append(store.size() * 1000, v);
        }
        pyramid.sync(store);
        QCOMPARE(pyramid.rows(), store.size());
        // A pyramid that takes all rows at once holds the same blocks.
        MinMaxPyramid whole;
        whole.sync(store);
        QCOMPARE(whole.rows(), store.size());
        for (int trial = 0; trial < 200; ++trial) {
            const qint64 a = rng.bounded(int(store.size()));
            const qint64 b = a + rng.bounded(int(store.size() - a));
            const int slot = rng.bounded(kPlotSlots);
            float lo = std::numeric_limits<float>::max();
            float hi = std::numeric_limits<float>::lowest();
            for (qint64 r = a; r <= b; ++r) {
                lo = std::min(lo, store.value(r, kSlotQuantity[size_t(slot)]));
                hi = std::max(hi, store.value(r, kSlotQuantity[size_t(slot)]));
            }
            // Alone, and among other slots worked out together.
            const unsigned mask = (1u << slot) | rng.bounded(1u << kPlotSlots);
            for (const MinMaxPyramid *p : {&pyramid, &whole}) {
                for (const MinMaxPyramid::Extent e :
                     {p->extent(store, slot, a, b), p->extents(store, a, b, mask)[size_t(slot)]}) {
                    QCOMPARE(e.min, lo);
                    QCOMPARE(e.max, hi);
                }
            }
        }
    }
}

void TestDecimation::columnsKeepTheEnvelope_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::newRow("few rows, wide plot") << 300 << 900;
    QTest::newRow("a few rows per column") << 3000 << 850;
    QTest::newRow("dense") << 60000 << 850;
    QTest::newRow("very dense, narrow") << 200000 << 37;
}

void TestDecimation::columnsKeepTheEnvelope()
{
    QFETCH(int, rows);
    QFETCH(int, columns);
    Filled filled(rows, quint32(rows + columns));
    QRandomGenerator &rng = filled.rng;
    const SampleStore &store = filled.store;
    const MinMaxPyramid &pyramid = filled.pyramid;
    const qint64 first = store.time(0);
    const qint64 last = store.time(store.size() - 1);

    QVector<QPointF> points;
    for (int trial = 0; trial < 25; ++trial) {
        // Ranges inside, around and partly outside the data.
        const qint64 t0 = first - 5000 + qint64(rng.bounded(double(last - first)));
        const qint64 t1 = t0 + 1000 + qint64(rng.bounded(double(last - first + 10000)));
        const ColumnSpans spans = columnSpans(store, t0, t1, columns);
        // Column starts, and row times themselves, from any earlier row: the first row at or after.
        QVector<qint64> times{columnStart(t0, t1, columns, 0), columnStart(t0, t1, columns, 1)};
        const qint64 r = qint64(rng.bounded(int(store.size())));
        times << store.order(r) - 1 << store.order(r) << store.order(r) + 1;
        for (qint64 t : times) {
            const qint64 from = qint64(rng.bounded(int(r + 1)));
            qint64 expected = from;
            while (expected < store.size() && store.order(expected) < t)
                ++expected;
            QCOMPARE(store.firstRowAtOrAfter(t, from), expected);
        }
        const int slot = rng.bounded(kPlotSlots);
        const proto::Quantity q = kSlotQuantity[size_t(slot)];
        decimatedPoints(store, pyramid, slot, spans, points);

        QVector<float> dataLo(columns, std::numeric_limits<float>::max());
        QVector<float> dataHi(columns, std::numeric_limits<float>::lowest());
        QVector<float> shownLo = dataLo;
        QVector<float> shownHi = dataHi;
        QVector<qint64> bounds;
        for (int c = 0; c <= columns; ++c)
            bounds.append(columnStart(t0, t1, columns, c));
        auto columnOf = [&](qint64 t) {
            const auto it = std::upper_bound(bounds.begin(), bounds.end(), t);
            const int c = int(it - bounds.begin()) - 1;
            return c >= 0 && c < columns ? c : -1;
        };
        qint64 visible = 0;
        for (qint64 r = 0; r < store.size(); ++r) {
            const int c = columnOf(store.time(r));
            if (c < 0)
                continue;
            ++visible;
            dataLo[c] = std::min(dataLo[c], store.value(r, q));
            dataHi[c] = std::max(dataHi[c], store.value(r, q));
        }
        QCOMPARE(spans.visibleRows(), visible);
        for (int i = 0; i < points.size(); ++i) {
            if (i > 0)
                QVERIFY(points[i].x() >= points[i - 1].x());
            const int c = columnOf(qint64(points[i].x()));
            if (c < 0)
                continue; // the neighbours just outside the range
            shownLo[c] = std::min(shownLo[c], float(points[i].y()));
            shownHi[c] = std::max(shownHi[c], float(points[i].y()));
        }
        QCOMPARE(shownLo, dataLo);
        QCOMPARE(shownHi, dataHi);
        // A few points per column at most, plus the two neighbours.
        QVERIFY(points.size() <= 2 * columns + 2 || !spans.dense());
    }
}

// Rows read back as written on both sides of the store's chunk boundaries, with wall-clock steps of
// more than 24 days back and forth inside a chunk, and a cleared store's pyramid starts afresh.
void TestDecimation::storeClearRebuilds()
{
    SampleStore store;
    MinMaxPyramid pyramid;
    const auto valuesOf = [](qint64 row, float sign) {
        proto::SampleValues v{};
        for (int q = 0; q < proto::kQuantityCount; ++q)
            v[size_t(q)] = sign * float(row % 1000 + q);
        return v;
    };
    const qint64 rows = 2 * SampleStore::kChunkRows + 5;
    const qint64 year = 365LL * 86400 * 1000;
    for (float sign : {1.0f, -1.0f}) {
        // Stepped forward a year in the second chunk, back ten years in the third.
        const auto wallOf = [&](qint64 r) {
            const qint64 step = r > rows - 3                      ? -10 * year
                                : r > SampleStore::kChunkRows + 9 ? year
                                                                  : 0;
            return r * 1000 + 7 + qint64(sign) * step;
        };
        store.clear();
        for (qint64 r = 0; r < rows; ++r)
            store.append(r * 1000, wallOf(r), valuesOf(r, sign));
        QCOMPARE(store.size(), rows);
        for (qint64 r = 0; r < rows; ++r) {
            if (store.order(r) != r * 1000 || store.time(r) != wallOf(r) ||
                store.row(r) != valuesOf(r, sign) ||
                store.value(r, proto::Quantity::FanSpeed) != valuesOf(r, sign).back())
                QFAIL(qPrintable(QString("row %1 of %2 reads back wrong").arg(r).arg(rows)));
        }
        QVERIFY(pyramid.sync(store));
        QCOMPARE(pyramid.extent(store, 0, 0, rows - 1).max, sign > 0 ? 999.0f : 0.0f);
    }

    store.clear();
    proto::SampleValues high{};
    high.fill(90);
    for (int i = 0; i < 100; ++i)
        store.append(i, high);
    pyramid.sync(store);
    QCOMPARE(pyramid.extent(store, 0, 0, 99).max, 90.0f);

    // A cleared store that grew back past the old size must not keep the old extremes.
    store.clear();
    proto::SampleValues low{};
    low.fill(1);
    for (int i = 0; i < 150; ++i)
        store.append(i, low);
    QVERIFY(pyramid.sync(store));
    QCOMPARE(pyramid.rows(), qint64(150));
    QCOMPARE(pyramid.extent(store, 0, 0, 149).max, 1.0f);
    QVERIFY(!pyramid.sync(store));
}

void TestDecimation::storeKeepsEveryRow_data()
{
    QTest::addColumn<qint64>("step");      // ms between rows
    QTest::addColumn<qint64>("jumpEvery"); // rows; 0 for none
    QTest::addColumn<qint64>("jump");      // ms added to the ordering time at a jump
    QTest::newRow("a second apart") << qint64(1000) << qint64(0) << qint64(0);
    QTest::newRow("equal times") << qint64(0) << qint64(0) << qint64(0);
    QTest::newRow("pauses of a day") << qint64(1000) << qint64(777) << qint64(86400000);
    QTest::newRow("a month's pause within a chunk")
        << qint64(500) << qint64(5000) << qint64(31) * 86400000;
    QTest::newRow("a pause before a chunk's last row")
        << qint64(1000) << SampleStore::kChunkRows << qint64(40) * 86400000;
}

// Rows read back as they went in, across chunks and times that no longer fit an offset from the
// chunk's first; the first row at or after a time is found whatever the row it is expected at.
void TestDecimation::storeKeepsEveryRow()
{
    QFETCH(qint64, step);
    QFETCH(qint64, jumpEvery);
    QFETCH(qint64, jump);
    QRandomGenerator rng(quint32(step + jumpEvery));
    SampleStore store;
    QVector<qint64> orders, walls;
    QVector<proto::SampleValues> values;
    qint64 order = 1700000000000;
    const qint64 rows = 3 * SampleStore::kChunkRows + 123;
    for (qint64 r = 0; r < rows; ++r) {
        if (jumpEvery && r % jumpEvery == jumpEvery - 1)
            order += jump;
        // The wall clock wanders back and forth around the ordering time.
        const qint64 wall =
            order + qint64(rng.bounded(2000000)) - 1000000 - (r % 3000 == 0 ? jump : 0);
        proto::SampleValues v{};
        for (float &x : v)
            x = float(rng.bounded(100.0));
        store.append(order, wall, v);
        orders << order;
        walls << wall;
        values << v;
        order += step;
    }
    QCOMPARE(store.size(), rows);
    for (qint64 r = 0; r < rows; ++r) {
        QCOMPARE(store.order(r), orders[int(r)]);
        QCOMPARE(store.time(r), walls[int(r)]);
        QVERIFY(store.row(r) == values[int(r)]);
        QCOMPARE(store.value(r, proto::Quantity::Current),
                 values[int(r)][size_t(proto::Quantity::Current)]);
    }
    for (int trial = 0; trial < 300; ++trial) {
        const qint64 r = rng.bounded(int(rows));
        const qint64 t = orders[int(r)] + rng.bounded(3) - 1;
        const qint64 from = rng.bounded(int(r + 1));
        const qint64 expected =
            std::lower_bound(orders.begin() + from, orders.end(), t) - orders.begin();
        for (qint64 near : {qint64(-1), expected, expected + 1, r / 2, rows + 5, qint64(0)})
            QCOMPARE(store.firstRowAtOrAfter(t, from, near), expected);
    }
    QCOMPARE(store.firstRowAtOrAfter(orders.last() + 1), rows);
}

void TestDecimation::memoFollowsAGrowingRun_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<qreal>("width");
    QTest::addColumn<int>("rowsPerTick");
    QTest::newRow("columns gain a row or none") << 30000 << qreal(700) << 1;
    QTest::newRow("columns gain several rows") << 30000 << qreal(300.4) << 37;
    QTest::newRow("columns just wide enough to keep") << 33000 << qreal(999.6) << 2;
}

// A memo kept from call to call gives the very points that working every column out afresh gives,
// as the run grows, when the view jumps or pans, after the store is cleared and refilled, and when
// the curves drawn change.
void TestDecimation::memoFollowsAGrowingRun()
{
    QFETCH(int, rows);
    QFETCH(qreal, width);
    QFETCH(int, rowsPerTick);
    Filled filled(rows, quint32(rows + rowsPerTick));
    QRandomGenerator &rng = filled.rng;
    SampleStore &store = filled.store;
    MinMaxPyramid &pyramid = filled.pyramid;
    ColumnMemo memo;
    ColumnSpans kept;
    QVector<QVector<QPointF>> fresh;
    QVector<QVector<QPointF>> remembered;
    for (int tick = 0; tick < 60; ++tick) {
        if (tick == 40) { // a new run at the very same times
            QVector<qint64> times;
            for (qint64 r = 0; r < store.size(); ++r)
                times.append(store.order(r));
            store.clear();
            for (qint64 t : times)
                store.append(t, proto::SampleValues{{float(rng.bounded(9.0))}});
        }
        for (int r = 0; r < rowsPerTick; ++r) {
            proto::SampleValues v{};
            for (float &x : v) // often a column's extreme again
                x = rng.bounded(3) ? 1.0f : float(rng.bounded(2000.0) - 1000.0);
            store.append(store.order(store.size() - 1) + 1000, v);
        }
        pyramid.sync(store);
        const qint64 last = store.order(store.size() - 1);
        // Following the whole run; for a few ticks the latest tenth of it; then panned back and
        // forth by whole pixels, each 40 rows wide; then narrowed a few rows at a time.
        qint64 t0 = store.order(0);
        qint64 t1 = last;
        if (tick >= 20 && tick < 25)
            t0 = last - (last - store.order(0)) / 10;
        if (tick >= 25 && tick < 32) {
            t0 = store.order(store.size() / 4) + (tick - 25) * 3 % 7 * 40000;
            t1 = t0 + qint64(width * 40000);
        }
        if (tick >= 32 && tick < 37) {
            t0 = store.order(store.size() / 4);
            t1 = t0 + qint64(width * 40000) - (tick - 32) * 3000 * qint64(width) / 100;
        }
        const ColumnSpans spans = columnSpans(store, t0, t1, width);
        // Spans kept from the last call, as the chart keeps them, until the store is cleared.
        kept = columnSpans(store, t0, t1, width, tick == 40 ? nullptr : &kept);
        QCOMPARE(kept.starts, spans.starts);
        QCOMPARE(kept.timesBefore, spans.timesBefore);
        QCOMPARE(kept.timesAt, spans.timesAt);
        // The two curves worked out together, as the chart does; from tick 45 only one.
        const QVector<int> drawn = tick < 45 ? QVector<int>{0, 5} : QVector<int>{5};
        decimatedPoints(store, pyramid, drawn, spans, fresh);
        decimatedPoints(store, pyramid, drawn, kept, remembered, &memo);
        QCOMPARE(remembered, fresh);
    }
}

QTEST_MAIN(TestDecimation)
#include "tst_decimation.moc"
