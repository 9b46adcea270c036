#pragma once
// The display page's real-time chart: eight curves over the run's time line (the clock at the
// run's start, then steadily on), drawn from the recorder's store as rows are recorded, value axes
// that grow past readings, a time axis that follows the run (accumulated or scrolling), four sets
// of curves, user axis ranges and a picture export. It reads the store; it never records.
//
// The samples live once, in the recorder's store. Each shown series holds only what its plot can
// show: the decimated view of the visible time range, recomputed when the range, the plot's
// width or the data change, at a cost set by the plot's width rather than the run's length.

#include "chart/chart_view.h"
#include "chart/curve_styles.h"
#include "chart/curve_feed.h"
#include "record/data_file_saver.h"
#include "chart/user_range.h"

#include <QDateTime>
#include <QObject>
#include <QPixmap>
#include <QPointer>

#include <array>

namespace QtCharts {
class QCategoryAxis;
class QChart;
class QDateTimeAxis;
class QLineSeries;
class QSplineSeries;
class QXYSeries;
} // namespace QtCharts

class ChartBackdrop;
class CurveLayer;
class QPushButton;
class Recorder;

class LiveChart : public QObject
{
    Q_OBJECT
public:
    enum class View
    {
        Default,
        EleCap,
        CpuNtc,
        Mos
    };
    enum DisplayMode
    {
        Accumulated = 1,
        Scrolling = 2
    };
    // Ticks and grid lines across the time axis, at its ends and between.
    static constexpr int kTimeTicks = 10;

    LiveChart(Recorder &recorder, UserRangeSource userRanges, QObject *parent = nullptr);
    ~LiveChart() override;

    ChartView *view() const { return m_view; }
    QtCharts::QChart *chart() const { return m_chart; }
    QtCharts::QDateTimeAxis *timeAxis() const { return m_timeAxis; }
    // 0 left, 1 right 1, 2 right 2.
    QtCharts::QCategoryAxis *valueAxis(int index) const { return m_valueAxes[size_t(index)]; }
    // The series that stands for a slot now (a spline while the visible samples are few). A line
    // series stays empty: the curve layer draws its points.
    QtCharts::QXYSeries *series(int slot) const;
    // How many points the slot's curve draws now.
    int pointCount(int slot) const;
    bool isShown(int slot) const { return m_slots[size_t(slot)].shown; }
    View currentView() const { return m_currentView; }

    int displayMode() const { return m_displayMode; }
    void setDisplayMode(int mode) { m_displayMode = mode; }
    double axisTop(int index) const { return m_axisTop[size_t(index)]; }
    double quantityPeak(int slot) const { return m_quantityPeak[size_t(slot)]; }
    qint64 anchorMinSecs() const { return m_anchorMinSecs; }
    qint64 anchorMaxSecs() const { return m_anchorMaxSecs; }

    // Curve styles (entries 0 … 7 are the slots) and the theme.
    const QVector<CurveStyle> &curveStyles() const { return m_curveStyles; }
    void setCurveColor(int entry, const QColor &color);
    // The entry's colour for later pens; the curve keeps its pen until then.
    void setStoredCurveColor(int entry, const QColor &color) { m_curveStyles[entry].color = color; }
    void setCurveWidth(int entry, qreal width);
    void setTheme(QtCharts::QChart::ChartTheme theme);
    void repenAll();
    // Axis lines take the colours of the current view's curves.
    void colourAxesForView();

    // The buttons that show which view is active; they get the active/inactive styles.
    void setViewButtons(QPushButton *eleCap, QPushButton *cpuNtc, QPushButton *mos);

    // A new run or device: the time axis shows min … max and remembers them.
    void reanchor(qint64 minSecs, qint64 maxSecs);
    // A new run: the 10 s window from now on the recorder's time line.
    void restartWindow();
    // While held, recorded rows only grow the axes; the release follows them once. For loading
    // many rows at a time, where following each would cost a redraw per row.
    void holdFollow(bool hold);
    // For a chart built after rows were recorded: the axes grow past every row and the time axis
    // follows the last one, as if the chart had followed each row as it came.
    void takeRecordedRows();
    void toggleView(View view);
    void applyAxisRanges();
    // The range the slot's axis shows now; for a slot not shown, the range its view opens with.
    std::pair<double, double> rangeInUse(int slot) const;
    // The current axis range an identified model asks for (unless the user fixed one).
    void setCurrentAxisRange(double minimum, double maximum);

    // The view's picture with a 50 px caption band on top.
    QPixmap captionedImage(const QString &caption) const;
    static QString imageCaption(const QString &title, const QString &model, const QDateTime &when);
    // Asks for a file name and saves the captioned picture: the file written, or the file that
    // could not be written; no path if the user cancelled.
    SaveOutcome exportImage(QWidget *dialogParent, const QString &title, const QString &model);

    // Recomputes what the shown series hold for the visible time range.
    void refreshVisible();
    // Moves the time axis to min … max with the shown series already holding that window.
    void showWindow(const QDateTime &min, const QDateTime &max);
    // Heap bytes per recorded row held by the store, the pyramid and the series.
    double bytesPerSample() const;
    const MinMaxPyramid &pyramid() const { return m_pyramid; }
    const ChartBackdrop *backdrop() const { return m_backdrop; }

private:
    struct Slot
    {
        QtCharts::QSplineSeries *spline = nullptr;
        QtCharts::QLineSeries *line = nullptr;
        bool shown = false;
    };
    struct AxisUse
    {
        int axis;
        int slot;
        int decimals;
        const char *unit() const { return proto::baseUnit(kSlotQuantity[size_t(slot)]); }
    };

    void buildSeries();
    void buildAxes();
    void useDegreeSignFonts();
    // Sets the entry's pen on both series of its slot (entries past the slots have none).
    void repen(int entry);
    void showSlot(int slot);
    void hideSlot(int slot);
    void useLineSeries(bool line);
    static QVector<AxisUse> axesOf(View view);
    static QVector<int> slotsOf(View view);
    QPushButton *buttonOf(View view) const;
    void applyDefaultRange(const AxisUse &use, bool toggling);
    void applyViewRanges(View view, bool toggling);
    void growAxes(const proto::SampleValues &values);
    // The window the clock asks for after a sample, or an invalid min if it stays.
    QPair<QDateTime, QDateTime> followedWindow(qint64 nowMs) const;
    void fillSeries(qint64 t0, qint64 t1);
    void onRecorderCleared();
    void onRowRecorded(qint64 row);
    void follow(qint64 nowMs);
    void scheduleRefresh();

    Recorder &m_recorder;
    UserRangeSource m_userRanges;
    MinMaxPyramid m_pyramid;
    CurveFeed m_feed;
    ChartBackdrop *m_backdrop = nullptr; // owned by the chart
    CurveLayer *m_curveLayer = nullptr;  // owned by the chart
    QtCharts::QChart *m_chart = nullptr;
    QPointer<ChartView> m_view;
    QtCharts::QDateTimeAxis *m_timeAxis = nullptr;
    std::array<QtCharts::QCategoryAxis *, 3> m_valueAxes{};
    std::array<Slot, kPlotSlots> m_slots;
    QVector<CurveStyle> m_curveStyles;
    std::array<QPushButton *, 3> m_viewButtons{}; // eleCap, cpuNtc, mos

    int m_displayMode = Accumulated;
    View m_currentView = View::Default;
    QDateTime viewStart;
    qint64 m_anchorMinSecs = 0;
    qint64 m_anchorMaxSecs = 0;
    std::array<double, 3> m_axisTop{{20, 10, 10}};
    std::array<double, kPlotSlots> m_quantityPeak{{20, 10, 10, 5, 5, 5, 5, 100}};

    bool m_lineMode = false;
    bool m_inSample = false;
    bool m_movingWindow = false;
    bool m_refreshQueued = false;
    bool m_followHeld = false;
    bool m_followBehind = false;
};
