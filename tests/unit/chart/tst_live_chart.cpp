// The live chart on its own: growth past readings, the views and user ranges, the clock follow,
// pan and wheel zoom through the view, the decimated series and the captioned picture.

#include "chart/axis_labels.h"
#include "chart/axis_layer.h"
#include "chart/chart_backdrop.h"
#include "chart/chart_view.h"
#include "record/clock.h"
#include "chart/curve_layer.h"
#include "chart/curve_styles.h"
#include "chart/live_chart.h"
#include "record/recorder.h"

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

// A scene drawn as the view would, on white.
QImage rendered(QGraphicsScene &scene, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, QRectF(QPointF(0, 0), size), QRectF(QPointF(0, 0), size));
    return image;
}

struct Difference
{
    int pixels = 0;       // how many pixels differ at all
    int worstChannel = 0; // the largest difference of one colour channel
};

Difference difference(const QImage &a, const QImage &b)
{
    Difference d;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            d.pixels += p != q;
            d.worstChannel = std::max({d.worstChannel, qAbs(qRed(p) - qRed(q)),
                                       qAbs(qGreen(p) - qGreen(q)), qAbs(qBlue(p) - qBlue(q))});
        }
    }
    return d;
}

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
    void backdropLooksAsTheChartsOwn_data();
    void backdropLooksAsTheChartsOwn();
    void curveLayerDrawsAsTheLineSeries_data();
    void curveLayerDrawsAsTheLineSeries();
    void axisLayerDrawsAsTheAxes_data();
    void axisLayerDrawsAsTheAxes();
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

void TestLiveChart::backdropLooksAsTheChartsOwn_data()
{
    QTest::addColumn<int>("theme");
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("roundness");
    QTest::addColumn<bool>("legendBox");
    QTest::newRow("light, filling the view") << int(QChart::ChartThemeLight) << 0 << 0 << false;
    QTest::newRow("gradient, shadow showing")
        << int(QChart::ChartThemeBlueCerulean) << 20 << 0 << false;
    QTest::newRow("dark, rounded") << int(QChart::ChartThemeDark) << 20 << 8 << false;
    QTest::newRow("light, legend box") << int(QChart::ChartThemeLight) << 0 << 0 << true;
}

// The framed background shows what the chart's own background with its drop shadow shows, and a
// tick does not draw it again.
void TestLiveChart::backdropLooksAsTheChartsOwn()
{
    QFETCH(int, theme);
    QFETCH(int, margin);
    QFETCH(int, roundness);
    QFETCH(bool, legendBox);
    const QSize size(320, 200);
    auto picture = [&](bool ownBackdrop) {
        QGraphicsScene scene;
        auto *chart = new QChart;
        scene.addItem(chart);
        chart->setTheme(QChart::ChartTheme(theme));
        chart->layout()->setContentsMargins(margin, margin, margin, margin);
        chart->setBackgroundRoundness(roundness);
        chart->legend()->setVisible(legendBox);
        chart->legend()->setBackgroundVisible(legendBox);
        chart->legend()->setAutoFillBackground(legendBox);
        chart->legend()->setColor(QColor(222, 233, 251));
        chart->resize(size);
        chart->setAutoFillBackground(true);
        if (ownBackdrop) {
            new ChartBackdrop(chart);
            // Its own fill is left to the chart only where the backdrop leaves some of it.
            if (chart->autoFillBackground() != (margin > 0 || roundness > 0))
                return QImage();
        } else {
            chart->setDropShadowEnabled(true);
        }
        return rendered(scene, size);
    };
    const QImage theirs = picture(false);
    const QImage ours = picture(true);
    QVERIFY(!ours.isNull());
    const int worst = difference(theirs, ours).worstChannel;
    QVERIFY2(worst <= 2, qPrintable(QString("largest channel difference %1").arg(worst)));
    // With a margin the shadow shows right of and below the background.
    if (margin > 0)
        QVERIFY(theirs.pixelColor(size.width() - margin + 2, size.height() / 2) != Qt::white);

    Rig rig;
    const int drawn = rig.chart.backdrop()->renderCount();
    for (int i = 0; i < 5; ++i)
        rig.sample(float(i));
    QApplication::processEvents();
    rig.chart.view()->grab();
    QCOMPARE(rig.chart.backdrop()->renderCount(), drawn);
}

void TestLiveChart::curveLayerDrawsAsTheLineSeries_data()
{
    QTest::addColumn<qreal>("width");
    QTest::addColumn<double>("valueMax"); // below the curve's top: the layer must clip
    QTest::newRow("design width") << 1.5 << 20.0;
    QTest::newRow("wide, clipped") << 3.0 << 12.0;
}

// The curve layer draws the points a line series would draw, where it would draw them.
void TestLiveChart::curveLayerDrawsAsTheLineSeries()
{
    QFETCH(qreal, width);
    QFETCH(double, valueMax);
    const qint64 t0 = kStart.toMSecsSinceEpoch();
    QVector<QPointF> points;
    for (int i = 0; i < 400; ++i)
        points.append({double(t0 + i * 1000), 10 + 8 * std::sin(i * 0.3)});
    const QSize size(420, 300);
    auto picture = [&](bool layer) {
        QGraphicsScene scene;
        auto *chart = new QChart;
        scene.addItem(chart);
        chart->legend()->setVisible(false);
        chart->resize(size);
        auto *time = new QDateTimeAxis;
        auto *value = new QValueAxis;
        chart->addAxis(time, Qt::AlignBottom);
        chart->addAxis(value, Qt::AlignLeft);
        auto *series = new QLineSeries;
        series->setPen(curvePen({QColor(21, 112, 165), width}));
        chart->addSeries(series);
        series->attachAxis(time);
        series->attachAxis(value);
        time->setRange(kStart.addSecs(30), kStart.addSecs(330));
        value->setRange(0, valueMax);
        if (layer) {
            auto *curves = new CurveLayer(chart, time);
            curves->setCurve(0, series, value);
            curves->setPoints(0, points);
        } else {
            series->replace(points);
        }
        return rendered(scene, size);
    };
    const QImage theirs = picture(false);
    const QImage ours = picture(true);
    const int differing = difference(theirs, ours).pixels;
    int inked = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            inked += qBlue(ours.pixel(x, y)) > qRed(ours.pixel(x, y)) + 60; // the curve's blue
    // Identical but for a few pixels where a wide pen meets the plot area's edge.
    QVERIFY2(differing <= 20, qPrintable(QString("%1 pixels differ").arg(differing)));
    QVERIFY(inked > 500);
}

enum class AxisChange
{
    None,
    ZoomAcrossTickSpacing,
    LongerLabels,
    LineColour,
    TimeLabelsHidden,
    TimeLabelsLarger,
    TimeTitled,
    Narrow
};

void TestLiveChart::axisLayerDrawsAsTheAxes_data()
{
    QTest::addColumn<int>("changeIndex");
    QTest::newRow("as built") << int(AxisChange::None);
    QTest::newRow("zoomed from 300 s to 25 s") << int(AxisChange::ZoomAcrossTickSpacing);
    QTest::newRow("value axis grown, wider labels") << int(AxisChange::LongerLabels);
    QTest::newRow("axis line recoloured") << int(AxisChange::LineColour);
    QTest::newRow("time labels hidden") << int(AxisChange::TimeLabelsHidden);
    QTest::newRow("time labels larger") << int(AxisChange::TimeLabelsLarger);
    QTest::newRow("time axis titled") << int(AxisChange::TimeTitled);
    QTest::newRow("narrow, time labels cut off") << int(AxisChange::Narrow);
}

// The axis layer draws what the chart's own axis items draw, after a change too; the time labels
// it formats and places itself.
void TestLiveChart::axisLayerDrawsAsTheAxes()
{
    QFETCH(int, changeIndex);
    const auto change = AxisChange(changeIndex);
    const QSize size(640, 480);
    struct Picture
    {
        QGraphicsScene scene;
        QChart *chart = new QChart;
        QDateTimeAxis *time = new QDateTimeAxis;
        QCategoryAxis *left = new QCategoryAxis;
        QCategoryAxis *right = new QCategoryAxis;
        AxisLayer *layer = nullptr;
    };
    auto build = [&](Picture &p, bool layer) {
        p.scene.addItem(p.chart);
        p.chart->resize(size);
        p.time->setFormat("hh:mm:ss");
        p.time->setTickCount(5);
        p.time->setRange(kStart, kStart.addSecs(300));
        p.chart->addAxis(p.time, Qt::AlignBottom);
        for (QCategoryAxis *axis : {p.left, p.right}) {
            axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
            setDefaultAxisRange(axis, axis == p.left ? "V" : "A", 2, -25, 25);
            p.chart->addAxis(axis, axis == p.left ? Qt::AlignLeft : Qt::AlignRight);
        }
        if (layer) {
            p.layer = new AxisLayer(p.chart);
            p.layer->drawTimeAxis(p.time);
        }
    };
    auto render = [&](Picture &p) { return rendered(p.scene, size); };
    auto apply = [&](Picture &p) {
        switch (change) {
        case AxisChange::None:
            break;
        case AxisChange::ZoomAcrossTickSpacing:
            p.time->setRange(kStart.addSecs(100), kStart.addSecs(125));
            break;
        case AxisChange::LongerLabels:
            growAxis(p.left, "V", 10, 2, 1500);
            break;
        case AxisChange::LineColour:
            p.left->setLinePenColor(Qt::red);
            break;
        case AxisChange::TimeLabelsHidden:
            p.time->setLabelsVisible(false);
            break;
        case AxisChange::TimeLabelsLarger:
            p.time->setLabelsFont(QFont(p.time->labelsFont().family(), 15));
            break;
        case AxisChange::TimeTitled:
            p.time->setTitleText("Time of day");
            p.time->setTitleBrush(Qt::darkGreen);
            break;
        case AxisChange::Narrow:
            p.chart->resize(250, size.height());
            break;
        }
    };
    Picture theirs, ours;
    build(theirs, false);
    build(ours, true);
    render(ours); // meets the axes' items and takes them over
    QApplication::processEvents();
    render(ours); // draws them, keeping their texts and lines
    apply(theirs);
    apply(ours);
    QApplication::processEvents();
    render(ours); // items the change created are taken over after the first repaint
    QApplication::processEvents();
    QVERIFY(ours.layer->adoptedCount() > 30); // the axes are ours to draw, not the scene's
    const QImage a = render(theirs);
    const QImage b = render(ours);
    const int differing = difference(a, b).pixels;
    QVERIFY2(differing == 0, qPrintable(QString("%1 pixels differ").arg(differing)));
}

QTEST_MAIN(TestLiveChart)
#include "tst_live_chart.moc"
