// The live chart in the real main dialog against the simulated instrument: when it samples, the
// follow modes from the chart menu, the view buttons, the curve and axis-range panels and their
// settings, and the picture export. With CHART_SHOTS_DIR set it also writes screenshots of the
// chart after a simulated hour, in every view and theme.

#include "tests/gui/gui_fixture.h"

#include "sim/instrument.h"

#include "chart/chart_view.h"
#include "record/clock.h"
#include "chart/curve_panel.h"
#include "chart/axis_range_panel.h"
#include "chart/live_chart.h"
#include "record/recorder.h"
#include "settings/settings_file.h"

#include <QCategoryAxis>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QXYSeries>

using namespace QtCharts;

namespace {

// Answers the next modal dialog of type T with `answer`, as soon as it shows.
template <typename T> void answerNextModal(std::function<void(T *)> answer)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start(10);
}

// Types the full path into the name box and saves, as the dialog's own button would. selectFile()
// leaves the box alone once it has focus, which a loaded machine may give it first.
void typeName(QFileDialog *dialog, const QString &path)
{
    auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
    QVERIFY(name);
    name->setText(path);
    static_cast<QDialog *>(dialog)->accept();
}

class ChartRig : public GuiFixture
{
public:
    explicit ChartRig(const QString &demo) : GuiFixture(demo) {}

    MainDialog &openIdentified()
    {
        open();
        if (!waitForScanEnd())
            qFatal("no bus scan");
        dialog->acquisition().timer()->stop(); // the test steps the cycle itself
        return *dialog;
    }
    LiveChart &chart() const { return dialog->chartPage().liveChart(); }
    qint64 rows() const { return dialog->recorder().rowCount(); }
    // One 500 ms cycle of the acquisition.
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            clock.advance(500);
            dialog->acquisition().step();
        }
    }
    // Cycles until `n` rows are recorded; the instrument's replies come in their own time.
    qint64 tickUntil(qint64 n)
    {
        for (int i = 0; i < 200 && rows() < n; ++i) {
            tick();
            QTest::qWait(2);
        }
        return rows();
    }
    qint64 lastSampleSecs() const { return dialog->recorder().store().order(rows() - 1) / 1000; }
    QPair<qint64, qint64> window() const
    {
        return {chart().timeAxis()->min().toSecsSinceEpoch(),
                chart().timeAxis()->max().toSecsSinceEpoch()};
    }

    FakeClock clock;
};

} // namespace

class TestChartGui : public QObject
{
    Q_OBJECT
private slots:
    void nv05SamplesOnceIdentified();
    void hk07SamplesOnlyWhileRunning();
    void accumulatedAndScrollingFromTheMenu();
    void clockStepsKeepTheLiveWindow_data();
    void clockStepsKeepTheLiveWindow();
    void runRecordedUnseenIsDrawnWhole();
    void viewButtons();
    void curvePanelStoresAndAppliesAtOnce();
    void axisRangePanel();
    void axisRangePanelShowsWhatItApplies_data();
    void axisRangePanelShowsWhatItApplies();
    void pictureExport();
    void screenshots();
};

void TestChartGui::nv05SamplesOnceIdentified()
{
    ChartRig rig("NV05");
    rig.openIdentified();
    QCOMPARE(rig.rows(), qint64(0)); // identification cleared the run
    // One sample a second, on odd ticks, and none before the instrument's first report, so the
    // first row holds real readings rather than zeros.
    QCOMPARE(rig.tickUntil(2), qint64(2));
    const SampleStore &store = rig.dialog->recorder().store();
    QVERIFY(store.row(0)[0] > 1.0f);
    QCOMPARE(store.row(1)[0], rig.dialog->link().live().voltage);

    // Nothing while a bus scan runs; a scan that finds the same instrument leaves the run alone.
    const auto window = rig.window();
    rig.dialog->core().scanBus();
    rig.tick(4);
    QCOMPARE(rig.rows(), qint64(2));
    QVERIFY(rig.waitForScanEnd());
    QCOMPARE(rig.rows(), qint64(2));
    QCOMPARE(rig.window(), window);
}

void TestChartGui::hk07SamplesOnlyWhileRunning()
{
    ChartRig rig("HK07");
    rig.openIdentified();
    QVERIFY(rig.dialog->runActive());
    QCOMPARE(rig.chart().valueAxis(1)->min(), -25.0); // the model's current axis
    rig.tick(6);
    QCOMPARE(rig.rows(), qint64(0));

    rig.bus->instrument(1)->start();
    for (int i = 0; i < 50 && !rig.dialog->link().state().deviceRunning; ++i) {
        rig.tick();
        QTest::qWait(10);
    }
    QVERIFY(rig.dialog->link().state().deviceRunning);
    const qint64 before = rig.rows();
    rig.tick(4);
    QCOMPARE(rig.rows(), before + 2);

    rig.dialog.reset();
    ChartRig hk09("HK09"); // a current that is never negative
    hk09.openIdentified();
    QCOMPARE(hk09.chart().valueAxis(1)->min(), 0.0);
    QCOMPARE(hk09.chart().valueAxis(1)->max(), 25.0);
}

void TestChartGui::accumulatedAndScrollingFromTheMenu()
{
    ChartRig rig("NV05");
    rig.openIdentified();
    const qint64 anchor = rig.chart().anchorMinSecs();
    QCOMPARE(rig.window(), qMakePair(anchor, anchor + 10));
    QCOMPARE(rig.tickUntil(10), qint64(10)); // ten points: the re-anchored window stays
    QCOMPARE(rig.window(), qMakePair(anchor, anchor + 10));
    QCOMPARE(rig.tickUntil(11), qint64(11));
    QCOMPARE(rig.window(), qMakePair(anchor, rig.lastSampleSecs() + 1));

    rig.chooseFromChartMenu("滚动图显");
    rig.tick(2);
    const qint64 now = rig.lastSampleSecs();
    QCOMPARE(rig.window(), qMakePair(now - 9, now + 1));
    rig.chooseFromChartMenu("累计图显");
    rig.tick(2);
    QCOMPARE(rig.window(), qMakePair(anchor, rig.lastSampleSecs() + 1));
}

void TestChartGui::clockStepsKeepTheLiveWindow_data()
{
    QTest::addColumn<bool>("scrolling");
    QTest::addColumn<qint64>("stepMs");
    QTest::newRow("accumulated, back an hour") << false << qint64(-3600000);
    QTest::newRow("scrolling, back an hour") << true << qint64(-3600000);
    QTest::newRow("accumulated, forward a day") << false << qint64(86400000);
    QTest::newRow("scrolling, forward a day") << true << qint64(86400000);
}

// The clock stepped during a run (NTP, a user setting the time): the chart keeps showing the live
// samples, and the data file keeps the clock's own stamps.
void TestChartGui::clockStepsKeepTheLiveWindow()
{
    QFETCH(bool, scrolling);
    QFETCH(qint64, stepMs);
    ChartRig rig("NV05");
    SettingsFile().write("save_path", rig.workDir.file("Data"));
    rig.openIdentified();
    if (scrolling)
        rig.chooseFromChartMenu("滚动图显");
    QCOMPARE(rig.tickUntil(12), qint64(12));
    const SampleStore &store = rig.dialog->recorder().store();
    const qint64 wallBefore = store.time(11);
    rig.clock.stepWall(stepMs);
    QCOMPARE(rig.tickUntil(15), qint64(15));
    QCOMPARE(store.time(12) - wallBefore, stepMs + 1000);
    const auto window = rig.window();
    for (qint64 r = 12; r < 15; ++r) {
        QVERIFY(store.order(r) / 1000 >= window.first);
        QVERIFY(store.order(r) / 1000 <= window.second);
    }
    const QXYSeries *voltage = rig.chart().series(0);
    QVERIFY(voltage->count() > 0);
    QCOMPARE(qint64(voltage->at(voltage->count() - 1).x()), store.order(14));

    rig.dialog->close(); // saves the run
    QDir data(rig.workDir.file("Data"));
    const QStringList files = data.entryList({"LoadData_*.csv"}, QDir::Files);
    QCOMPARE(files.size(), 1);
    QFile file(data.filePath(files.first()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n').mid(4);
    for (int r : {11, 12})
        QCOMPARE(lines.value(r).section(',', 0, 0),
                 QDateTime::fromMSecsSinceEpoch(store.time(r)).toString("yyyy-MM-dd_hh:mm:ss"));
}

// A run recorded while the display page was never shown is drawn whole once it is: the window
// from the run's start to its last row, every row a point, the axes grown past its readings; the
// page shows the newest reading and the instrument's title.
void TestChartGui::runRecordedUnseenIsDrawnWhole()
{
    ChartRig rig("NV05;supply=24");
    rig.displayPageAtOpen = false;
    rig.openIdentified();
    QCOMPARE(rig.tickUntil(30), qint64(30));
    QVERIFY(!rig.w("page_disp")->isVisible());
    QVERIFY(!rig.dialog->findChild<QWidget *>("disp_chartView")); // not built while unseen
    QVERIFY(!rig.dialog->findChild<QWidget *>("disp_label_VOL"));

    rig.w<QStackedWidget>("disp_stackedWidget")->setCurrentWidget(rig.w("page_disp"));
    QTRY_VERIFY(rig.w("disp_chartView")->isVisible());
    const SampleStore &store = rig.dialog->recorder().store();
    const qint64 anchor = rig.chart().anchorMinSecs();
    QVERIFY(anchor <= store.order(0) / 1000 && anchor >= store.order(0) / 1000 - 5);
    QCOMPARE(rig.window(), qMakePair(anchor, rig.lastSampleSecs() + 1));
    const QXYSeries *voltage = rig.chart().series(0);
    QCOMPARE(rig.chart().pointCount(0), 30);
    QCOMPARE(qint64(voltage->at(0).x()), store.order(0));
    QCOMPARE(qint64(voltage->at(29).x()), store.order(29));
    float peak = 0;
    for (qint64 r = 0; r < store.size(); ++r)
        peak = qMax(peak, store.row(r)[0]);
    QVERIFY(peak > 20.0f); // past the voltage axis' first top
    QVERIFY(rig.chart().valueAxis(0)->max() >= peak);
    QVERIFY(qAbs(rig.text("disp_label_VOL").toDouble() - rig.dialog->link().live().voltage) < 0.01);
    QVERIFY(!rig.text("disp_labDeviceTitle").isEmpty());
}

void TestChartGui::viewButtons()
{
    ChartRig rig("NV05");
    rig.openIdentified();
    const QString active = "QPushButton{background-color:rgb(62, 62, 62); color: rgb(255, 255, 0)";
    QVERIFY(!rig.w<QPushButton>("disp_btn_temp")->styleSheet().startsWith(active));
    rig.click("disp_btn_temp");
    QCOMPARE(rig.chart().currentView(), LiveChart::View::Mos);
    QVERIFY(rig.w<QPushButton>("disp_btn_temp")->styleSheet().startsWith(active));
    QCOMPARE(rig.chart().chart()->series().size(), 1);
    QCOMPARE(rig.chart().chart()->series().first()->name(), QString("MOS_T"));
    rig.click("disp_btn_dp_dm");
    QVERIFY(!rig.w<QPushButton>("disp_btn_temp")->styleSheet().startsWith(active));
    QVERIFY(rig.w<QPushButton>("disp_btn_dp_dm")->styleSheet().startsWith(active));
    QCOMPARE(rig.chart().chart()->series().size(), 2);
    rig.click("disp_btn_dp_dm");
    QCOMPARE(rig.chart().currentView(), LiveChart::View::Default);
    QCOMPARE(rig.chart().chart()->series().size(), 3);
}

void TestChartGui::curvePanelStoresAndAppliesAtOnce()
{
    ChartRig rig("NV05");
    SettingsFile().write("VBUS_lw", "1.5");
    rig.openIdentified();
    QCOMPARE(rig.chart().series(0)->pen().widthF(), 1.5);

    rig.chooseFromChartMenu("曲线设置");
    CurvePanel *panel = rig.dialog->chartPage().curvePanel();
    QVERIFY(panel && !panel->isHidden());
    QCOMPARE(panel->findChild<QComboBox *>("curve_width_1")->currentText(), QString("1.5"));
    QCOMPARE(panel->findChild<QComboBox *>("curve_width_2")->currentText(), QString("0.5"));
    QCOMPARE(SettingsFile().read("IBUS_lw"), QString()); // opening changes nothing

    // CAP at 3.0 while its view is hidden: stored and applied to its curve at once.
    panel->findChild<QComboBox *>("curve_width_5")->setCurrentText("3.0");
    QCOMPARE(SettingsFile().read("PM_lw"), QString("3.0"));
    rig.click("disp_btn_dp_dm");
    QCOMPARE(rig.chart().series(4)->pen().widthF(), 3.0);
    rig.click("disp_btn_dp_dm");

    // A new VOLT colour keeps its width; a cancelled dialog rewrites the unchanged colour.
    answerNextModal<QColorDialog>([](QColorDialog *d) {
        d->setCurrentColor(QColor(21, 112, 165));
        d->accept();
    });
    panel->findChild<QPushButton *>("curve_color_1")->click();
    QCOMPARE(SettingsFile().read("VBUS_col"), QString("ff1570a5"));
    QCOMPARE(panel->findChild<QPushButton *>("curve_color_1")->styleSheet(),
             QString("background:rgb(21,112,165)"));
    QCOMPARE(rig.chart().series(0)->pen().color(), QColor(21, 112, 165));
    QCOMPARE(rig.chart().series(0)->pen().widthF(), 1.5);
    QCOMPARE(rig.chart().valueAxis(0)->linePenColor(), QColor(21, 112, 165));
    answerNextModal<QColorDialog>([](QColorDialog *d) { d->reject(); });
    panel->findChild<QPushButton *>("curve_color_2")->click();
    QCOMPARE(SettingsFile().read("IBUS_col"), QString("ff000000"));

    // The theme changes the chart and keeps every curve's own pen.
    panel->findChild<QComboBox *>("curve_theme")->setCurrentText("Dark");
    QCOMPARE(SettingsFile().read("ChartTheme"), QString("Dark"));
    QCOMPARE(rig.chart().chart()->theme(), QChart::ChartThemeDark);
    QCOMPARE(rig.chart().series(0)->pen().color(), QColor(21, 112, 165));
    QCOMPARE(rig.chart().series(0)->pen().widthF(), 1.5);

    // A second use replaces the open panel; OK hides it.
    rig.chooseFromChartMenu("曲线设置");
    QTRY_COMPARE(rig.dialog->findChildren<CurvePanel *>().size(), 1);
    panel = rig.dialog->chartPage().curvePanel();
    QCOMPARE(panel->findChild<QComboBox *>("curve_theme")->currentText(), QString("Dark"));
    panel->findChild<QPushButton *>("curve_ok")->click();
    QVERIFY(panel->isHidden());
}

void TestChartGui::axisRangePanel()
{
    ChartRig rig("NV05");
    rig.openIdentified();
    AxisRangePanel *panel = rig.dialog->chartPage().axisRangePanel();
    QCOMPARE(panel->parentWidget(), rig.w("widget"));
    QVERIFY(panel->isHidden());
    // A fresh settings file: every bound 0.00 (row 8: 0.0), every row off.
    QCOMPARE(panel->findChild<QLineEdit *>("edit_VBUS_Min")->text(), QString("0.00"));
    QCOMPARE(panel->findChild<QLineEdit *>("edit_CPU_Max")->text(), QString("0.0"));
    QCOMPARE(panel->findChild<QPushButton *>("btn_IBUS")->text(), QString("关闭"));

    QSignalSpy changed(panel, &AxisRangePanel::rangesChanged);
    auto enter = [&](const char *edit, const QString &text) {
        auto *lineEdit = panel->findChild<QLineEdit *>(edit);
        lineEdit->setFocus();
        lineEdit->selectAll();
        QTest::keyClicks(lineEdit, text);
        QTest::keyClick(lineEdit, Qt::Key_Return);
    };
    enter("edit_CPU_Max", "45");
    QCOMPARE(SettingsFile().read("CPU_Max_Value"), QString("45.0"));
    enter("edit_IBUS_Max", "3.5");
    QCOMPARE(SettingsFile().read("Ibus_Max_Value"), QString("3.50"));
    QCOMPARE(changed.count(), 0); // rows disabled

    panel->findChild<QPushButton *>("btn_IBUS")->click();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(SettingsFile().read("IbusIsOpen"), QString("1"));
    QCOMPARE(rig.chart().valueAxis(1)->max(), 3.5); // the chart took the user range
    enter("edit_IBUS_Min", "-3.5");
    QCOMPARE(changed.count(), 2);
    QCOMPARE(rig.chart().valueAxis(1)->min(), -3.5);
    panel->findChild<QPushButton *>("btn_IBUS")->click();
    QCOMPARE(SettingsFile().read("IbusIsOpen"), QString("0"));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(rig.chart().valueAxis(1)->min(), -25.0);

    // What was stored comes back in a new window.
    rig.dialog.reset();
    rig.openIdentified();
    QCOMPARE(
        rig.dialog->chartPage().axisRangePanel()->findChild<QLineEdit *>("edit_CPU_Max")->text(),
        QString("45.0"));
    QCOMPARE(rig.dialog->chartPage().axisRangePanel()->range(1).max, 3.5f);

    // A row enabled without a range of its own starts from the range its axis uses now: the
    // voltage axis shown, the capacity axis with the default of its view.
    panel = rig.dialog->chartPage().axisRangePanel();
    panel->findChild<QPushButton *>("btn_VBUS")->click();
    panel->findChild<QPushButton *>("btn_PM")->click();
    QCOMPARE(panel->findChild<QLineEdit *>("edit_VBUS_Max")->text(), QString("20.00"));
    QCOMPARE(SettingsFile().read("Vbus_Max_Value"), QString("20.00"));
    QCOMPARE(panel->findChild<QLineEdit *>("edit_PM_Max")->text(), QString("100.00"));
    QCOMPARE(rig.chart().valueAxis(0)->max(), 20.0);
    QCOMPARE(panel->range(0).enabled, true);
}

// Each row: a bound typed over the applied 2.00 … 12.00 of the enabled voltage row, then Return.
// What the row cannot take is refused with the usual message, and the field shows the bound in
// force.
void TestChartGui::axisRangePanelShowsWhatItApplies_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty: taken
    QTest::addColumn<QString>("shown");
    const QString illegal = "<font color='red'>文本框含有非法字符，请重新输入！</font>";
    const QString outside = "<font color='red'>请输入 0 到 1000 之间的数值！</font>";
    const QString inverted = "<font color='red'>最小值必须小于最大值，请重新输入！</font>";
    QTest::newRow("emptied minimum") << "edit_VBUS_Min"
                                     << "" << illegal << "2.00";
    QTest::newRow("1e9") << "edit_VBUS_Max"
                         << "1e9" << outside << "12.00";
    QTest::newRow("99999") << "edit_VBUS_Max"
                           << "99999" << outside << "12.00";
    QTest::newRow("1000.5") << "edit_VBUS_Max"
                            << "1000.5" << outside << "12.00";
    QTest::newRow("comma") << "edit_VBUS_Min"
                           << "1,5" << illegal << "2.00";
    QTest::newRow("negative voltage") << "edit_VBUS_Min"
                                      << "-5" << outside << "2.00";
    QTest::newRow("minimum above maximum") << "edit_VBUS_Min"
                                           << "15" << inverted << "2.00";
    QTest::newRow("empty range") << "edit_VBUS_Max"
                                 << "2" << inverted << "12.00";
    QTest::newRow("taken") << "edit_VBUS_Max"
                           << "20.5" << QString() << "20.50";
    QTest::newRow("extra decimals") << "edit_VBUS_Min"
                                    << "1.004" << QString() << "1.00";
}

void TestChartGui::axisRangePanelShowsWhatItApplies()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    const bool refused = !message.isEmpty();
    const bool maximum = field.endsWith("Max");
    const char *key = maximum ? "Vbus_Max_Value" : "Vbus_Min_Value";
    const QString before = maximum ? "12.00" : "2.00";
    ChartRig rig("NV05");
    SettingsFile().write("VbusIsOpen", "1");
    SettingsFile().write("Vbus_Min_Value", "2.00");
    SettingsFile().write("Vbus_Max_Value", "12.00");
    rig.openIdentified();
    AxisRangePanel *panel = rig.dialog->chartPage().axisRangePanel();
    rig.click("disp_btn_RangCustom");
    auto *edit = panel->findChild<QLineEdit *>(field);
    QCOMPARE(edit->text(), before);

    QString told;
    if (refused)
        answerNextModal<QMessageBox>([&told](QMessageBox *box) {
            told = box->text();
            box->accept();
        });
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE(told.isEmpty(), !refused);
    QCOMPARE(told, message);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(SettingsFile().read(key), refused ? before : shown);
    const UserRange applied = panel->range(0);
    QCOMPARE(double(maximum ? applied.max : applied.min), shown.toDouble());
    QCOMPARE(maximum ? rig.chart().valueAxis(0)->max() : rig.chart().valueAxis(0)->min(),
             shown.toDouble());
}

void TestChartGui::pictureExport()
{
    ChartRig rig("NV05");
    rig.openIdentified();
    rig.tick(6);
    const QString path = rig.workDir.file("picture.png");
    answerNextModal<QFileDialog>([path](QFileDialog *d) { typeName(d, path); });
    rig.chooseFromChartMenu("导出图片(.png)");
    QImage image(path);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), rig.chart().view()->size() + QSize(0, 50));
    // The view's area has no fill of its own beneath the chart: the chart paints every pixel.
    QWidget *viewport = rig.chart().view()->viewport();
    QImage under(viewport->size(), QImage::Format_RGB32);
    under.fill(Qt::magenta);
    viewport->render(&under);
    int unpainted = 0;
    for (int y = 0; y < under.height(); ++y)
        for (int x = 0; x < under.width(); ++x)
            unpainted += under.pixel(x, y) == QColor(Qt::magenta).rgb();
    QCOMPARE(unpainted, 0);

    answerNextModal<QFileDialog>([](QFileDialog *d) { d->reject(); });
    rig.chooseFromChartMenu("导出图片(.png)");
    QCOMPARE(QDir(rig.workDir.path()).entryList({"*.png"}).size(), 1);

    // A typed name without a suffix still gets a PNG picture.
    const QString bare = rig.workDir.file("bare");
    answerNextModal<QFileDialog>([bare](QFileDialog *d) {
        d->setDefaultSuffix(QString());
        typeName(d, bare);
    });
    rig.chooseFromChartMenu("导出图片(.png)");
    QCOMPARE(QImage(bare, "PNG").height(), image.height());
}

void TestChartGui::screenshots()
{
    const QString folder = qEnvironmentVariable("CHART_SHOTS_DIR");
    if (folder.isEmpty())
        QSKIP("set CHART_SHOTS_DIR to write screenshots");
    ChartRig rig("NV05;speed=0;capacity=2600");
    const char *colours[] = {"ffe6b800", "ff2ecc71", "ffe74c3c", "ff3498db",
                             "ff9b59b6", "ff1abc9c", "fff39c12", "ffd35400"};
    for (int entry = 0; entry < 8; ++entry) {
        SettingsFile().write(kCurveKeys[entry].colorKey, colours[entry]);
        SettingsFile().write(kCurveKeys[entry].widthKey, "1.5");
    }
    MainDialog &dialog = rig.openIdentified();
    rig.w<QStackedWidget>("disp_stackedWidget")->setCurrentIndex(2);
    rig.bus->instrument(1)->start();
    // An hour of the simulated instrument, one sample a second.
    rig.chart().holdFollow(true);
    for (int i = 0; i < 3600; ++i) {
        rig.bus->advance(1.0);
        rig.clock.advance(1000);
        rig.dialog->recorder().record(rig.clock.wall, sampleValuesOf(*rig.bus->readings(1)));
    }
    rig.chart().holdFollow(false);
    const char *views[] = {nullptr, "disp_btn_dp_dm", "disp_btn_cc1_cc2", "disp_btn_temp"};
    for (const char *button : views) {
        if (button)
            rig.click(button);
        rig.dialog->recorder().record(rig.clock.wall, sampleValuesOf(*rig.bus->readings(1)));
        QApplication::processEvents();
        dialog.grab().save(folder + QString("/chart_%1.png").arg(button ? button : "default"));
    }
    rig.click("disp_btn_temp");
    for (const QString &theme : chartThemeNames()) {
        rig.chart().setTheme(chartThemeFromName(theme));
        QApplication::processEvents();
        rig.chart().view()->grab().save(folder + "/theme_" + theme + ".png");
    }
    rig.chooseFromChartMenu("曲线设置");
    QApplication::processEvents();
    rig.w("widget")->grab().save(folder + "/curve_panel.png");
    rig.dialog->chartPage().curvePanel()->hide();
    rig.click("disp_btn_RangCustom");
    QApplication::processEvents();
    rig.w("widget")->grab().save(folder + "/axis_range_panel.png");
}

QTEST_MAIN(TestChartGui)
#include "tst_chart_gui.moc"
