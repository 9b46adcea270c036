// Axis labels, growth, wheel-zoom windows, the sampling rule and the stored curve styles.

#include "chart/axis_labels.h"
#include "chart/curve_styles.h"
#include "acquire/sampling_rule.h"
#include "chart/wheel_zoom.h"

#include <QCategoryAxis>
#include <QDateTime>
#include <QSet>
#include <QTest>

using namespace QtCharts;

class TestChartMaths : public QObject
{
    Q_OBJECT
private slots:
    void labels_data();
    void labels();
    void categoryAxisRoutines();
    void wheelZoom_data();
    void wheelZoom();
    void zoomInStopsAtTheNarrowestWindow();
    void samplingRule_data();
    void samplingRule();
    void styleTexts();
    void timeLabelsTellTicksApart_data();
    void timeLabelsTellTicksApart();
};

void TestChartMaths::labels_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<QStringList>("expected"); // first, second, last

    QTest::newRow("20.5 V grown") << "V" << 2 << 0.0 << grownAxisTop(20.5)
                                  << QStringList{"0.00V", "2.20V", "22.00V"};
    QTest::newRow("user 0..12 V") << "V" << 2 << 0.0 << 12.0
                                  << QStringList{"0.00V", "1.20V", "12.00V"};
    QTest::newRow("current -25..25")
        << "A" << 2 << -25.0 << 25.0 << QStringList{"-25.00A", "-20.00A", "25.00A"};
    QTest::newRow("capacity 120 grown") << "mAh" << 2 << 0.0 << grownAxisTop(120.0 + 20)
                                        << QStringList{"0.00mAh", "14.10mAh", "141.00mAh"};
    QTest::newRow("MOS peak grown")
        << "℃" << 1 << 0.0 << grownAxisTop(100) << QStringList{"0.0℃", "10.1℃", "101.0℃"};
}

void TestChartMaths::labels()
{
    QFETCH(QString, unit);
    QFETCH(int, decimals);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(QStringList, expected);
    const QVector<AxisLabel> labels = axisLabels(unit, 10, decimals, max, min);
    QCOMPARE(labels.size(), 11);
    QCOMPARE(labels.first().text, expected[0]);
    QCOMPARE(labels[1].text, expected[1]);
    QCOMPARE(labels.last().text, expected[2]);
    for (int i = 1; i < labels.size(); ++i)
        QVERIFY(labels[i].value > labels[i - 1].value);
    QVERIFY(qAbs(labels.last().value - max) < 1e-4 * qMax(1.0, max));
}

void TestChartMaths::categoryAxisRoutines()
{
    QCategoryAxis axis;
    growAxis(&axis, "V", 10, 2, 20.5);
    QCOMPARE(axis.min(), 0.0);
    QCOMPARE(axis.max(), 22.0);
    QCOMPARE(axis.categoriesLabels().size(), 11);
    QCOMPARE(axis.categoriesLabels()[1], QString("2.20V"));

    // A user range of 5 … 5 leaves the axis exactly as it was.
    QVERIFY(!applyAxisRange(&axis, "V", 10, 2, 5, 5));
    QCOMPARE(axis.max(), 22.0);
    QCOMPARE(axis.categoriesLabels()[1], QString("2.20V"));

    QVERIFY(applyAxisRange(&axis, "V", 10, 2, 0, 12));
    QCOMPARE(axis.max(), 12.0);
    QCOMPARE(axis.categoriesLabels().size(), 11);
    QCOMPARE(axis.categoriesLabels()[1], QString("1.20V"));
    QCOMPARE(axis.tickCount(), 10);

    // fill appends, clear empties.
    fillAxisLabels(&axis, "V", 10, 2, 24, 13);
    QCOMPARE(axis.categoriesLabels().size(), 22);
    clearAxisLabels(&axis);
    QVERIFY(axis.categoriesLabels().isEmpty());
}

void TestChartMaths::wheelZoom_data()
{
    QTest::addColumn<quint32>("tmin");
    QTest::addColumn<quint32>("tmax");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("delta");
    QTest::addColumn<qint64>("expectedMin");
    QTest::addColumn<qint64>("expectedMax");

    const quint32 t = 1700000000;
    // 10 s, centre c = t + 5: in gives c − 3.33 … c + 3.33 truncated, out c − 7.5 … c + 7.5.
    QTest::newRow("10 s in") << t << t + 10 << 0.5 << 120 << qint64(t + 1) << qint64(t + 8);
    QTest::newRow("10 s out") << t << t + 10 << 0.5 << -120 << qint64(t - 3) << qint64(t + 12);
    QTest::newRow("2 s in") << t << t + 2 << 0.5 << 120 << qint64(t) << qint64(t + 2);
    QTest::newRow("1 s in") << t << t + 1 << 0.5 << 120 << qint64(t - 1) << qint64(t + 1);
    QTest::newRow("x = 0 in") << t << t + 10 << 0.0 << 120 << qint64(t - 1) << qint64(t + 1);
    QTest::newRow("x = 0 out") << t << t + 10 << 0.0 << -120 << qint64(t) << qint64(t + 15);
    QTest::newRow("no delta zooms out")
        << t << t + 10 << 0.5 << 0 << qint64(t - 3) << qint64(t + 12);
}

// Fifty notches in, the pointer anywhere: the window narrows to 2 s once and then stays put.
void TestChartMaths::zoomInStopsAtTheNarrowestWindow()
{
    const quint32 t = 1700000000;
    for (const double ratio : {0.0, 0.3, 0.5, 0.7, 1.0}) {
        TimeWindow w{t, t + 10};
        TimeWindow narrowest{0, 0};
        for (int notch = 0; notch < 50; ++notch) {
            w = wheelZoomWindow(quint32(w.minSecs), quint32(w.maxSecs), ratio, 120);
            if (narrowest.maxSecs == 0 && w.maxSecs - w.minSecs == 2)
                narrowest = w;
        }
        QVERIFY2(narrowest.maxSecs != 0, qPrintable(QString::number(ratio)));
        QCOMPARE(w.minSecs, narrowest.minSecs);
        QCOMPARE(w.maxSecs, narrowest.maxSecs);
        QVERIFY(w.minSecs >= qint64(t) - 1 && w.maxSecs <= qint64(t) + 11);
    }
}

void TestChartMaths::wheelZoom()
{
    QFETCH(quint32, tmin);
    QFETCH(quint32, tmax);
    QFETCH(double, ratio);
    QFETCH(int, delta);
    const TimeWindow w = wheelZoomWindow(tmin, tmax, ratio, delta);
    QTEST(w.minSecs, "expectedMin");
    QTEST(w.maxSecs, "expectedMax");
}

void TestChartMaths::samplingRule_data()
{
    QTest::addColumn<quint32>("tick");
    QTest::addColumn<bool>("run");
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("family");
    QTest::addColumn<bool>("scan");
    QTest::addColumn<bool>("samples");

    QTest::newRow("NV05 idle, odd") << 1u << false << false << 4 << false << true;
    QTest::newRow("NV05 idle, even") << 2u << false << false << 4 << false << false;
    QTest::newRow("NV05 during scan") << 3u << true << true << 4 << true << false;
    QTest::newRow("HK07 idle") << 1u << false << false << 1 << false << false;
    QTest::newRow("HK07 only run flag") << 1u << true << false << 1 << false << false;
    QTest::newRow("HK07 running") << 5u << true << true << 1 << false << true;
    QTest::newRow("HK07 running, scan") << 5u << true << true << 1 << true << false;
    QTest::newRow("no family") << 1u << true << true << 0 << false << false;
}

void TestChartMaths::samplingRule()
{
    QFETCH(quint32, tick);
    QFETCH(bool, run);
    QFETCH(bool, running);
    QFETCH(int, family);
    QFETCH(bool, scan);
    QTEST(shouldSample({tick, run, running, quint8(family), scan}), "samples");
}

void TestChartMaths::styleTexts()
{
    QCOMPARE(colorFromKeyText("ff1570a5"), QColor(21, 112, 165));
    QCOMPARE(colorFromKeyText("001570a5"), QColor(21, 112, 165)); // alpha ignored
    QCOMPARE(colorFromKeyText(""), QColor(Qt::black));
    QCOMPARE(colorFromKeyText("zz"), QColor(Qt::black));
    QCOMPARE(colorKeyText(QColor(21, 112, 165)), QString("ff1570a5"));
    QCOMPARE(colorKeyText(QColor(0, 0, 1)), QString("ff000001"));
    QCOMPARE(widthFromKeyText("1.5"), 1.5);
    QCOMPARE(widthFromKeyText(""), 0.0);
    QCOMPARE(widthFromKeyText("-2"), 0.0);
    QCOMPARE(widthKeyText(3), QString("3.0"));

    const QPen pen = curvePen({QColor(1, 2, 3), 1.5});
    QCOMPARE(pen.color(), QColor(1, 2, 3));
    QCOMPARE(pen.widthF(), 1.5);
    QCOMPARE(pen.capStyle(), Qt::SquareCap);
    QCOMPARE(pen.joinStyle(), Qt::BevelJoin);
    QVERIFY(curvePen({}).isCosmetic());

    QCOMPARE(chartThemeFromName("Dark"), QChart::ChartThemeDark);
    QCOMPARE(chartThemeFromName("BlueIcy"), QChart::ChartThemeBlueIcy);
    QCOMPARE(chartThemeFromName("dark"), QChart::ChartThemeLight);
    QCOMPARE(chartThemeFromName(""), QChart::ChartThemeLight);
}

// The ten tick labels of a window read differently from each other, whatever its width, and
// carry no more precision than it needs.
void TestChartMaths::timeLabelsTellTicksApart_data()
{
    QTest::addColumn<qint64>("spanMs");
    QTest::addColumn<bool>("milliseconds");
    QTest::newRow("zoomed to 2 s") << qint64(2000) << true;
    QTest::newRow("8 s") << qint64(8000) << true;
    QTest::newRow("the 10 s window") << qint64(10000) << false;
    QTest::newRow("an hour") << qint64(3600 * 1000) << false;
}

void TestChartMaths::timeLabelsTellTicksApart()
{
    QFETCH(qint64, spanMs);
    QFETCH(bool, milliseconds);
    constexpr int kTicks = 10;
    const QString format = timeAxisFormat(double(spanMs), kTicks);
    QCOMPARE(format.contains("zzz"), milliseconds);
    const QDateTime start(QDate(2026, 12, 7), QTime(8, 26, 7, 40));
    QSet<QString> texts;
    for (int i = 0; i < kTicks; ++i)
        texts.insert(start.addMSecs(spanMs * i / (kTicks - 1)).toString(format));
    QCOMPARE(texts.size(), kTicks);
}

QTEST_MAIN(TestChartMaths)
#include "tst_chart_maths.moc"
