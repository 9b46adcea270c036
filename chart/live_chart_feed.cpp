// Sampling, the time axis' follow and the decimated view the shown series hold.

#include "chart/live_chart.h"

#include "chart/chart_log.h"
#include "chart/chart_view.h"
#include "chart/curve_layer.h"
#include "record/recorder.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QSplineSeries>

using namespace QtCharts;

// A recorded row grows the axes and moves the time axis with the run; the chart only follows the
// table, it never decides what is recorded.
void LiveChart::onRowRecorded(qint64 row)
{
    m_inSample = true; // axis changes refresh the view once, below
    growAxes(m_recorder.store().row(row));
    m_inSample = false;
    if (m_followHeld)
        m_followBehind = true;
    else
        follow(m_recorder.timelineNow());
}

void LiveChart::takeRecordedRows()
{
    const SampleStore &store = m_recorder.store();
    if (store.isEmpty())
        return;
    m_inSample = true;
    for (qint64 row = 0; row < store.size(); ++row)
        growAxes(store.row(row));
    m_inSample = false;
    follow(store.order(store.size() - 1));
}

void LiveChart::holdFollow(bool hold)
{
    m_followHeld = hold;
    if (!hold && m_followBehind) {
        m_followBehind = false;
        follow(m_recorder.timelineNow());
    }
}

void LiveChart::follow(qint64 nowMs)
{
    const QPair<QDateTime, QDateTime> window = followedWindow(nowMs);
    if (window.first.isValid())
        showWindow(window.first, window.second);
    else
        refreshVisible();
}

QPair<QDateTime, QDateTime> LiveChart::followedWindow(qint64 nowMs) const
{
    // The run's own time line: a clock stepped back or forward moves neither the window nor the
    // samples in it.
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(nowMs);
    if (m_displayMode == Scrolling) {
        const qint64 nowSecs = now.toSecsSinceEpoch();
        if (nowSecs <= m_anchorMaxSecs)
            return {};
        // now − 10 s … now, then one tick (a tenth of the window) later: the newest second stays
        // in view with a second to spare.
        const QDateTime end = QDateTime::fromSecsSinceEpoch(nowSecs);
        const qint64 tickMs = 10000 / kTimeTicks;
        return {end.addSecs(-10).addMSecs(tickMs), end.addMSecs(tickMs)};
    }
    if (m_recorder.store().size() > 10 && !m_view->isManual())
        return {QDateTime::fromSecsSinceEpoch(m_anchorMinSecs), now.addSecs(1)};
    return {};
}

void LiveChart::restartWindow()
{
    const qint64 nowSecs = m_recorder.timelineNow() / 1000;
    reanchor(nowSecs, nowSecs + 10);
}

void LiveChart::reanchor(qint64 minSecs, qint64 maxSecs)
{
    m_anchorMinSecs = minSecs;
    m_anchorMaxSecs = maxSecs;
    showWindow(QDateTime::fromSecsSinceEpoch(minSecs), QDateTime::fromSecsSinceEpoch(maxSecs));
}

void LiveChart::onRecorderCleared()
{
    m_pyramid.reset();
    for (int slot = 0; slot < kPlotSlots; ++slot) {
        m_slots[size_t(slot)].spline->clear();
        m_curveLayer->setPoints(slot, {});
    }
    refreshVisible();
}

void LiveChart::useLineSeries(bool line)
{
    if (line == m_lineMode)
        return;
    // Swap every shown slot in slot order so the legend keeps its order.
    QVector<int> shown;
    for (int slot = 0; slot < kPlotSlots; ++slot) {
        if (m_slots[size_t(slot)].shown) {
            shown.append(slot);
            hideSlot(slot);
        }
    }
    m_lineMode = line;
    for (int slot : shown)
        showSlot(slot);
}

void LiveChart::refreshVisible()
{
    if (m_inSample)
        return;
    fillSeries(m_timeAxis->min().toMSecsSinceEpoch(), m_timeAxis->max().toMSecsSinceEpoch());
}

void LiveChart::showWindow(const QDateTime &min, const QDateTime &max)
{
    fillSeries(min.toMSecsSinceEpoch(), max.toMSecsSinceEpoch());
    m_movingWindow = true;
    m_timeAxis->setRange(min, max);
    m_movingWindow = false;
}

// Few visible samples go to a spline series, which recomputes its control points on each replace;
// many go to the curve layer as straight lines between the columns' extremes.
void LiveChart::fillSeries(qint64 t0, qint64 t1)
{
    const SampleStore &store = m_recorder.store();
    m_pyramid.sync(store);
    const qreal width = m_chart->plotArea().width();
    const ColumnSpans &spans = m_feed.spans(store, t0, t1, width);
    useLineSeries(spans.visibleRows() > spans.columns / 4);
    QVector<CurveFeed::Curve> curves;
    for (int slot = 0; slot < kPlotSlots; ++slot)
        if (m_slots[size_t(slot)].shown)
            curves.append({&store, &m_pyramid, slot});
    m_feed.fill(curves, t0, t1, width, [&](int index, const QVector<QPointF> &points) {
        const int slot = curves[index].slot;
        if (m_lineMode)
            m_curveLayer->setPoints(slot, points);
        else
            m_slots[size_t(slot)].spline->replace(points);
    });
}
