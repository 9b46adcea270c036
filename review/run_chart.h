#pragma once
// The comparison chart: one curve per run for the chosen quantity, aligned at each run's start,
// over an elapsed-time axis. The curves get their points as the live chart's do (curve_feed.h), so
// eight week-long runs pan as fast as short ones.

#include "chart/curve_feed.h"
#include "review/loaded_run.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QVector>

namespace QtCharts {
class QCategoryAxis;
class QChart;
class QLineSeries;
} // namespace QtCharts

class CurveLayer;

namespace review {

// The colour of the n-th run's curve and legend entry.
QColor runColor(int n);

class RunChart : public QObject
{
    Q_OBJECT
public:
    explicit RunChart(QObject *parent = nullptr);
    ~RunChart() override;

    QtCharts::QChart *chart() const { return m_chart; }
    // The points the curve of run n draws now.
    const QVector<QPointF> &points(int n) const;

    // The runs to draw (the viewer owns them); shows them whole.
    void setRuns(const LoadedRuns *runs);
    // The chart slot compared (kSlotQuantity order).
    void setSlot(int slot);
    int slot() const { return m_slot; }
    // Elapsed milliseconds shown; at least one second wide.
    void setWindow(qint64 t0, qint64 t1);
    void showWhole();
    qint64 windowStart() const { return m_t0; }
    qint64 windowEnd() const { return m_t1; }

    // Names and units of the slots, for the quantity chooser.
    static QString slotName(int slot);

    void retranslate();

private:
    void redraw();
    void keepLastTimeLabel(const QString &text);
    void applyStyle();

    QPointer<QtCharts::QChart> m_chart; // the view that shows it may delete it first
    QtCharts::QCategoryAxis *m_timeAxis;
    QtCharts::QCategoryAxis *m_valueAxis;
    QVector<QtCharts::QLineSeries *> m_series;
    CurveFeed m_feed;
    CurveLayer *m_curves; // owned by the chart; the series stay empty
    const LoadedRuns *m_runs = nullptr;
    int m_slot = 0;
    qint64 m_t0 = 0;
    qint64 m_t1 = 1000;
    int m_columns = 0;
};

} // namespace review
