// The live chart on its own: growth past readings, the views and user ranges, the clock follow,
// pan and wheel zoom through the view, the decimated series and the captioned picture.

#include "chart/axis_labels.h"
#include "chart/chart_backdrop.h"
#include "chart/chart_view.h"
#include "record/clock.h"
#include "chart/curve_styles.h"
#include "chart/live_chart.h"
#include "record/recorder.h"

#include "../../support/curve_pixels.h"
#include "../../support/fake_clock.h"
#include "../../support/temp_workdir.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QLineSeries>
#include <QPushButton>
#include <QSplineSeries>
#include <QTest>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QtCharts;
using View = LiveChart::View;

namespace {

const QDateTime kStart = QDateTime::fromSecsSinceEpoch(1714568400); // 2024-05-01

struct Rig
{
    Rig()
    {
        chart.view()->resize(961, 621);
        chart.view()->show();
        chart.setViewButtons(&eleCap, &cpuNtc, &mos);
        chart.reanchor(kStart.toSecsSinceEpoch(), kStart.addSecs(10).toSecsSinceEpoch());
    }

    void sample(float value = 1, proto::Quantity q = proto::Quantity::Voltage)
    {
        clock.advance(1000);
        proto::SampleValues v{};
        v[size_t(q)] = value;
        recorder.record(clock.wall, v);
    }
    QPair<qint64, qint64> window() const
    {
        return {chart.timeAxis()->min().toSecsSinceEpoch(),
                chart.timeAxis()->max().toSecsSinceEpoch()};
    }
    QStringList shownNames() const
    {
        QStringList names;
        for (QAbstractSeries *s : chart.chart()->series())
            names << s->name();
        return names;
    }

    TempWorkDir dir;
    FakeClock clock{kStart};
    std::array<UserRange, 8> ranges{};
    Recorder recorder;
    LiveChart chart{recorder, [this](int slot) { return ranges[size_t(slot)]; }};
    QPushButton eleCap, cpuNtc, mos;
};

} // namespace

class TestLiveChart : public QObject
{
    Q_OBJECT
private slots:
    void growth_data();
    void growth();
    void peaksSurviveViewChanges();
    void togglesSwapSeriesStylesAndAxisColours();
    void viewsShowOnlyTheirAxes();
    void userRanges();
    void accumulatedFollowAndPan();
    void scrollingFollow();
    void wheelZoom();
    void seriesHoldOnlyWhatThePlotShows();
    void captionedImage();
    void curveShowsItsSamples_data();
    void curveShowsItsSamples();
    void axisLabelsShowAtTheirTicks_data();
    void axisLabelsShowAtTheirTicks();
};

void TestLiveChart::growth_data()
{
    QTest::addColumn<int>("view"); // 0 default, 1 ele/cap, 2 cpu/ntc, 3 mos
    QTest::addColumn<int>("quantity");
    QTest::addColumn<float>("value");
    QTest::addColumn<bool>("userRange");
    QTest::addColumn<int>("axis");
    QTest::addColumn<double>("expectedMin");
    QTest::addColumn<double>("expectedMax");

    const int V = int(proto::Quantity::Voltage), A = int(proto::Quantity::Current), W = int(proto::Quantity::Power),
              C = int(proto::Quantity::Capacity), M = int(proto::Quantity::MosTemp), N = int(proto::Quantity::NtcTemp);
    QTest::newRow("20.5 V") << 0 << V << 20.5f << false << 0 << 0.0 << 22.0;
    QTest::newRow("19 V stays") << 0 << V << 19.0f << false << 0 << 0.0 << 20.0;
    QTest::newRow("12 A drops the negative half") << 0 << A << 12.0f << false << 1 << 0.0 << 13.0;
    QTest::newRow("10.5 W") << 0 << W << 10.5f << false << 2 << 0.0 << 12.0;
    QTest::newRow("90 mAh stays") << 1 << C << 90.0f << false << 1 << 0.0 << 100.0;
    QTest::newRow("120 mAh + 20") << 1 << C << 120.0f << false << 1 << 0.0 << 141.0;
    QTest::newRow("MOS peak starts at 100") << 3 << M << 35.0f << false << 0 << 0.0 << 101.0;
    QTest::newRow("MOS with user range") << 3 << M << 35.0f << true << 0 << 10.0 << 30.0;
    QTest::newRow("NTC 45") << 2 << N << 45.0f << false << 1 << 0.0 << 46.0;
    QTest::newRow("user V range holds") << 0 << V << 20.5f << true << 0 << 10.0 << 30.0;
}

void TestLiveChart::growth()
{
    QFETCH(int, view);
    QFETCH(int, quantity);
    QFETCH(float, value);
    QFETCH(bool, userRange);
    QFETCH(int, axis);
    Rig rig;
    const int slot = int(std::find(kSlotQuantity.begin(), kSlotQuantity.end(), proto::Quantity(quantity)) -
                         kSlotQuantity.begin());
    rig.ranges[size_t(slot)] = {userRange, 10, 30};
    if (view > 0)
        rig.chart.toggleView(View(view));
    rig.chart.applyAxisRanges();
    rig.sample(value, proto::Quantity(quantity));
    QTEST(rig.chart.valueAxis(axis)->min(), "expectedMin");
    QTEST(rig.chart.valueAxis(axis)->max(), "expectedMax");
}

void TestLiveChart::peaksSurviveViewChanges()
{
    Rig rig;
    rig.sample(20.5f);
    QCOMPARE(rig.chart.valueAxis(0)->max(), 22.0);
    rig.chart.toggleView(View::EleCap);
    rig.chart.toggleView(View::EleCap);
    QCOMPARE(rig.chart.valueAxis(0)->max(), 20.0); // the default view's default range again
    QCOMPARE(rig.chart.valueAxis(0)->categoriesLabels().value(1), QString("2.00V"));
    rig.sample(1.0f); // a low reading, but the peak is remembered
    QCOMPARE(rig.chart.valueAxis(0)->max(), 22.0);
    QCOMPARE(rig.chart.valueAxis(0)->categoriesLabels().value(1), QString("2.20V"));

    // Entering the MOS view shows 0 … 40 until the next sample grows it to the peak of 100.
    rig.chart.toggleView(View::Mos);
    QCOMPARE(rig.chart.valueAxis(0)->max(), 40.0);
    rig.sample(35.0f, proto::Quantity::MosTemp);
    QCOMPARE(rig.chart.valueAxis(0)->max(), 101.0);
}

void TestLiveChart::togglesSwapSeriesStylesAndAxisColours()
{
    Rig rig;
    QCOMPARE(rig.shownNames(), (QStringList{"VOLTAGE", "CURRENT", "POWER"}));
    const auto axisColour = [&](int axis) { return rig.chart.valueAxis(axis)->linePenColor(); };
    QCOMPARE(axisColour(0), rig.chart.curveStyles()[0].color);

    rig.chart.setCurveColor(3, Qt::red);
    rig.chart.setCurveColor(4, Qt::green);
    rig.chart.toggleView(View::EleCap);
    QCOMPARE(rig.shownNames(), (QStringList{"ELE", "CAP"}));
    QVERIFY(rig.eleCap.styleSheet().contains("rgb(255, 255, 0)"));
    QCOMPARE(axisColour(0), QColor(Qt::red));
    QCOMPARE(axisColour(1), QColor(Qt::green));
    QCOMPARE(rig.chart.valueAxis(1)->max(), 100.0);
    QCOMPARE(rig.chart.axisTop(1), 100.0);

    rig.chart.toggleView(View::CpuNtc); // one view at a time
    QCOMPARE(rig.shownNames(), (QStringList{"CPU_T", "NTC_T"}));
    QVERIFY(
        !rig.eleCap.styleSheet().contains("rgb(255, 255, 0);border:2px groove green;border-r"
                                          "adius:10px;padding:2px 4px;border-style: outset;}Q"));
    QVERIFY(rig.cpuNtc.styleSheet().startsWith("QPushButton{background-color:rgb(62, 62, 62); "
                                               "color: rgb(255, 255, 0)"));
    QCOMPARE(rig.chart.valueAxis(1)->categoriesLabels().value(1), QString("4.00℃")); // 2 decimals

    rig.chart.toggleView(View::CpuNtc);
    QCOMPARE(rig.shownNames(), (QStringList{"VOLTAGE", "CURRENT", "POWER"}));
    QCOMPARE(rig.chart.currentView(), View::Default);
    QCOMPARE(axisColour(1), rig.chart.curveStyles()[1].color);
    QCOMPARE(rig.chart.valueAxis(1)->min(), -25.0);
}

// A view shows the value axes its curves use, each labelled in its quantity's unit; the others
// would scale a curve that is not there.
void TestLiveChart::viewsShowOnlyTheirAxes()
{
    const struct
    {
        View view;
        QStringList units; // per shown axis, left first; empty = hidden
    } cases[] = {
        {View::Mos, {"℃", "", ""}},
        {View::EleCap, {"Wh", "mAh", ""}},
        {View::CpuNtc, {"℃", "℃", ""}},
        {View::Default, {"V", "A", "W"}},
    };
    Rig rig;
    for (const auto &c : cases) {
        // Back to the default view by toggling the shown one off.
        rig.chart.toggleView(c.view == View::Default ? rig.chart.currentView() : c.view);
        QCOMPARE(rig.chart.currentView(), c.view);
        rig.sample(35, proto::Quantity::MosTemp);
        for (int axis = 0; axis < 3; ++axis) {
            QCategoryAxis *a = rig.chart.valueAxis(axis);
            const QString unit = c.units[axis];
            QCOMPARE(a->isVisible(), !unit.isEmpty());
            if (!unit.isEmpty())
                for (const QString &label : a->categoriesLabels())
                    QVERIFY2(label.endsWith(unit), qPrintable(label + " / " + unit));
        }
    }
}

void TestLiveChart::userRanges()
{
    Rig rig;
    rig.ranges[0] = {true, 5, 5};
    rig.chart.applyAxisRanges(); // ignored: the axis keeps what it had
    QCOMPARE(rig.chart.valueAxis(0)->max(), 20.0);
    rig.ranges[0] = {true, 0, 12};
    rig.chart.applyAxisRanges();
    QCOMPARE(rig.chart.valueAxis(0)->max(), 12.0);
    QCOMPARE(rig.chart.valueAxis(0)->categoriesLabels().value(1), QString("1.20V"));

    // The range re-application labels the NTC default with one decimal, the toggle with two.
    rig.chart.toggleView(View::CpuNtc);
    rig.chart.applyAxisRanges();
    QCOMPARE(rig.chart.valueAxis(1)->categoriesLabels().value(1), QString("4.0℃"));

    // An identified model's current range, unless the user fixed one.
    rig.chart.toggleView(View::CpuNtc);
    rig.chart.setCurrentAxisRange(0, 25);
    QCOMPARE(rig.chart.valueAxis(1)->min(), 0.0);
    rig.ranges[1] = {true, -1, 1};
    rig.chart.setCurrentAxisRange(-25, 25);
    QCOMPARE(rig.chart.valueAxis(1)->max(), 1.0);
    rig.chart.toggleView(View::EleCap); // right axis 1 is the capacity's here
    rig.chart.setCurrentAxisRange(0, 25);
    QCOMPARE(rig.chart.valueAxis(1)->max(), 100.0);

    // An enabled but empty user range at start leaves the default, labelled axis.
    Recorder recorder;
    LiveChart fresh(recorder, [](int) { return UserRange{true, 3, 3}; });
    QCOMPARE(fresh.valueAxis(0)->max(), 20.0);
    QCOMPARE(fresh.valueAxis(0)->categoriesLabels().size(), 11);
}

void TestLiveChart::accumulatedFollowAndPan()
{
    Rig rig;
    const qint64 anchor = kStart.toSecsSinceEpoch();
    for (int i = 0; i < 10; ++i)
        rig.sample();
    QCOMPARE(rig.window(), qMakePair(anchor, anchor + 10));
    rig.sample(); // the eleventh point
    QCOMPARE(rig.window(), qMakePair(anchor, rig.clock.wall.toSecsSinceEpoch() + 1));

    // A left drag pans by exactly the mouse's movement and freezes the window.
    QWidget *viewport = rig.chart.view()->viewport();
    const QPointF from(400, 300);
    QMouseEvent press(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    const qreal plotWidth = rig.chart.chart()->plotArea().width();
    const qint64 spanMs = (rig.window().second - rig.window().first) * 1000;
    QMouseEvent move(QEvent::MouseMove, from + QPointF(50, 0), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QVERIFY(rig.chart.view()->isManual());
    const qint64 expectedMin = anchor * 1000 - qint64(50 * spanMs / plotWidth);
    QVERIFY(qAbs(rig.chart.timeAxis()->min().toMSecsSinceEpoch() - expectedMin) <= 1);
    const auto frozen = rig.window();
    rig.sample();
    rig.sample();
    QCOMPARE(rig.window(), frozen);

    // A right click gives the window back to the follow at the next sample.
    QMouseEvent right(QEvent::MouseButtonPress, from, Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &right);
    QVERIFY(!rig.chart.view()->isManual());
    rig.sample();
    QCOMPARE(rig.window(), qMakePair(anchor, rig.clock.wall.toSecsSinceEpoch() + 1));
}

void TestLiveChart::scrollingFollow()
{
    Rig rig;
    rig.chart.setDisplayMode(LiveChart::Scrolling);
    const qint64 anchor = kStart.toSecsSinceEpoch();
    for (int i = 0; i < 10; ++i) // until the clock passes the end the window stays
        rig.sample();
    QCOMPARE(rig.window(), qMakePair(anchor, anchor + 10));
    for (int i = 0; i < 3; ++i) {
        rig.sample();
        const qint64 now = rig.clock.wall.toSecsSinceEpoch();
        QCOMPARE(rig.window(), qMakePair(now - 9, now + 1));
    }
    // Pan and zoom last only until the next sample.
    rig.chart.view()->setManual(true);
    rig.chart.showWindow(kStart, kStart.addSecs(5));
    rig.sample();
    QCOMPARE(rig.window().second, rig.clock.wall.toSecsSinceEpoch() + 1);
}

void TestLiveChart::wheelZoom()
{
    Rig rig;
    ChartView *view = rig.chart.view();
    const qreal width = rig.chart.chart()->geometry().width();
    auto wheel = [&](qreal x, int delta) {
        const QPointF at(x, 200);
        QWheelEvent event(at, view->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &event);
    };
    const qint64 t = kStart.toSecsSinceEpoch();
    wheel(width / 2, 120);
    QVERIFY(rig.chart.view()->isManual());
    QCOMPARE(rig.window(), qMakePair(t + 1, t + 8));
    wheel(0, -120);
    QCOMPARE(rig.window(), qMakePair(t + 1, t + 11));

    // With Control held the wheel changes no range but still marks the view as the user's.
    rig.chart.view()->setManual(false);
    QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    QApplication::sendEvent(view, &ctrl);
    wheel(width / 2, 120);
    QVERIFY(rig.chart.view()->isManual());
    QCOMPARE(rig.window(), qMakePair(t + 1, t + 11));
}

void TestLiveChart::seriesHoldOnlyWhatThePlotShows()
{
    Rig rig;
    for (int i = 0; i < 20; ++i)
        rig.sample(float(i % 3));
    QVERIFY(qobject_cast<QSplineSeries *>(rig.chart.series(0)));
    QCOMPARE(rig.chart.pointCount(0), 20);

    // A day of samples: the series hold a few points per pixel column and draw straight lines.
    const int plotWidth = int(rig.chart.chart()->plotArea().width());
    rig.chart.holdFollow(true);
    for (int i = 0; i < 86400; ++i) {
        proto::SampleValues v{};
        v[0] = float(i % 7);
        rig.recorder.record(rig.clock.wall, v);
        rig.clock.advance(1000);
    }
    rig.chart.holdFollow(false);
    rig.sample(3);
    QVERIFY(qobject_cast<QLineSeries *>(rig.chart.series(0)));
    QVERIFY(rig.chart.pointCount(0) <= 2 * plotWidth + 2);
    QVERIFY(rig.chart.pointCount(0) >= plotWidth);
    QCOMPARE(rig.shownNames(), (QStringList{"VOLTAGE", "CURRENT", "POWER"})); // legend order kept
    QVERIFY(rig.chart.bytesPerSample() < 100);

    rig.recorder.clear();
    QCOMPARE(rig.chart.pointCount(0), 0);
    QCOMPARE(rig.chart.pyramid().rows(), qint64(0));
}

void TestLiveChart::captionedImage()
{
    Rig rig;
    QCOMPARE(LiveChart::imageCaption("Simple Real-Time Chart", "NV05",
                                     QDateTime(QDate(2024, 5, 1), QTime(13, 2, 3))),
             QString("Simple Real-Time Chart (NV05-20240501130203)"));
    const QImage image = rig.chart.captionedImage("Caption").toImage();
    QCOMPARE(image.size(), rig.chart.view()->size() + QSize(0, 50));
    // The band is white with dark caption text in its middle.
    QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
    int dark = 0;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < 50; ++y)
            dark += image.pixelColor(x, y).lightness() < 100;
    QVERIFY(dark > 20);
}

void TestLiveChart::curveShowsItsSamples_data()
{
    QTest::addColumn<qint64>("fromSecs"); // the window, from the run's start; 0, 0: followed
    QTest::addColumn<qint64>("toSecs");
    QTest::newRow("a day, followed whole") << qint64(0) << qint64(0);
    QTest::newRow("two hours of it") << qint64(30000) << qint64(37200);
    QTest::newRow("twenty minutes of it") << qint64(50000) << qint64(51200);
}

// Over many samples the curve the user sees keeps every sample's pixel column extent, and the
// axes read as the quantities they show.
void TestLiveChart::curveShowsItsSamples()
{
    QFETCH(qint64, fromSecs);
    QFETCH(qint64, toSecs);
    Rig rig;
    rig.chart.setCurveColor(0, QColor(230, 0, 0));
    rig.chart.setCurveColor(1, QColor(0, 0, 230));
    rig.chart.setCurveColor(2, QColor(0, 150, 0));
    rig.chart.holdFollow(true);
    for (int i = 0; i < 86400; ++i) {
        proto::SampleValues v{};
        v[0] = float(10 + 6 * std::sin(i / 3000.0) + ((i * 7919) % 13 - 6) * 0.3);
        v[1] = 1;
        rig.recorder.record(rig.clock.wall, v);
        rig.clock.advance(1000);
    }
    rig.chart.holdFollow(false);
    const qint64 start = rig.recorder.store().order(0);
    if (toSecs > 0) {
        rig.chart.view()->setManual(true);
        rig.chart.showWindow(QDateTime::fromMSecsSinceEpoch(start + fromSecs * 1000),
                             QDateTime::fromMSecsSinceEpoch(start + toSecs * 1000));
    }
    QApplication::processEvents();
    const QImage picture = rig.chart.view()->grab().toImage();
    const SampleStore &store = rig.recorder.store();
    QVector<QPointF> samples;
    for (qint64 r = 0; r < store.size(); ++r)
        samples.append(rig.chart.chart()->mapToPosition(
            QPointF(double(store.order(r)), double(store.value(r, proto::Quantity::Voltage))),
            rig.chart.series(0)));
    const QString problem =
        curveOutsideItsSamples(picture, rig.chart.chart()->plotArea(), samples, [](QRgb p) {
            return qRed(p) - std::max(qGreen(p), qBlue(p)) > 90;
        });
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    QCOMPARE(rig.chart.valueAxis(0)->categoriesLabels().first(), QString("0.00V"));
    QCOMPARE(rig.chart.valueAxis(0)->categoriesLabels().last(), QString("20.00V"));
    QCOMPARE(rig.chart.valueAxis(1)->categoriesLabels().last(), QString("25.00A"));
    QCOMPARE(rig.chart.timeAxis()->format(), QString("hh:mm:ss"));
}

void TestLiveChart::axisLabelsShowAtTheirTicks_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("seconds"); // recorded and followed before the picture
    QTest::newRow("default view, as built") << int(View::Default) << 0;
    QTest::newRow("default view, followed a minute") << int(View::Default) << 60;
    QTest::newRow("temperatures, followed a minute") << int(View::CpuNtc) << 60;
}

// In the picture the user sees, the left axis shows one label beside each of its values and the
// time axis one under each tick; neither is redrawn by the background, which a tick leaves as it
// was.
void TestLiveChart::axisLabelsShowAtTheirTicks()
{
    QFETCH(int, view);
    QFETCH(int, seconds);
    Rig rig;
    if (View(view) != View::Default)
        rig.chart.toggleView(View(view));
    rig.chart.setDisplayMode(LiveChart::Accumulated);
    for (int i = 0; i < seconds; ++i)
        rig.sample(float(i % 5));
    QApplication::processEvents();
    rig.chart.view()->grab();
    const int drawn = rig.chart.backdrop()->renderCount();
    rig.sample(1);
    QApplication::processEvents();
    const QImage picture = rig.chart.view()->grab().toImage();
    QCOMPARE(rig.chart.backdrop()->renderCount(), drawn);
    const QRectF plot = rig.chart.chart()->plotArea();
    const auto dark = [&](int x, int y) { return qGray(picture.pixel(x, y)) < 110; };

    // Rows of the left label band with ink, in runs: one run per label, centred on its value.
    // (Below the plot the first time label reaches into the band.)
    QVector<QPair<int, int>> runs;
    for (int y = 0; y < int(plot.bottom()) + 6; ++y) {
        bool ink = false;
        for (int x = 0; x < int(plot.left()) - 8 && !ink; ++x)
            ink = dark(x, y);
        if (ink && !runs.isEmpty() && runs.last().second >= y - 2)
            runs.last().second = y;
        else if (ink)
            runs.append({y, y});
    }
    const QStringList labels = rig.chart.valueAxis(0)->categoriesLabels();
    QCOMPARE(runs.size(), labels.size());
    for (int i = 0; i < labels.size(); ++i) {
        const double value = rig.chart.valueAxis(0)->endValue(labels[i]);
        const double y = plot.bottom() - (value - rig.chart.valueAxis(0)->min()) /
                                             (rig.chart.valueAxis(0)->max() -
                                              rig.chart.valueAxis(0)->min()) *
                                             plot.height();
        const QPair<int, int> &run = runs[labels.size() - 1 - i]; // the top label first
        QVERIFY2(qAbs((run.first + run.second) / 2.0 - y) <= 3,
                 qPrintable(QString("%1 drawn at %2 … %3, its value at %4")
                                .arg(labels[i]).arg(run.first).arg(run.second).arg(y)));
    }

    // The time labels: ink under every tick, across the whole axis and no further than a label.
    int inkLeft = picture.width(), inkRight = -1;
    QVector<bool> column(picture.width());
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = int(plot.bottom()) + 8; y < int(plot.bottom()) + 24; ++y)
            column[x] = column[x] || dark(x, y);
        if (column[x]) {
            inkLeft = qMin(inkLeft, x);
            inkRight = qMax(inkRight, x);
        }
    }
    const int ticks = LiveChart::kTimeTicks;
    for (int i = 0; i < ticks; ++i) {
        const int x = int(plot.left() + i * plot.width() / (ticks - 1));
        QVERIFY2(std::any_of(column.begin() + x - 8, column.begin() + x + 9, [](bool b) { return b; }),
                 qPrintable(QString("no label under tick %1 at x %2").arg(i).arg(x)));
    }
    QVERIFY(inkLeft > plot.left() - 60 && inkLeft < plot.left() - 10);
    QVERIFY(inkRight < plot.right() + 60 && inkRight > plot.right() + 10);
}

QTEST_MAIN(TestLiveChart)
#include "tst_live_chart.moc"
