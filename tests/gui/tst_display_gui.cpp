// The display page used as a user would: typing set-points and limits, starting and stopping a
// run, answering the battery-test question of the simulated instrument, the axis-range button,
// the HK09 strip, real screen sizes and accessible names.

#include "tests/gui/gui_fixture.h"

#include "ui/caption_fit.h"
#include "ui/battery_test_popup.h"
#include "record/clock.h"
#include "ui/display_page.h"
#include "chart/live_chart.h"
#include "ui/page_geometry.h"
#include "record/recorder.h"
#include "settings/settings_file.h"
#include "ui/window_fit.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

namespace {
// Opens the display page of the constant-current tile (or another tile).
MainDialog &openDisplay(GuiFixture &f, const char *tile = "tbtn3")
{
    MainDialog &d = f.open();
    QApplication::setActiveWindow(&d);
    if (!QTest::qWaitForWindowActive(&d))
        qFatal("main window not active");
    if (!f.waitForScanEnd())
        qFatal("bus scan did not end");
    f.click(tile);
    return d;
}

// Types `text` into a field as a user would: click in, select all, type, then `key`.
void type(QLineEdit *edit, const QString &text, Qt::Key key)
{
    edit->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, key);
}

// Answers the next message box with OK and remembers its title and text.
struct MessageBoxCatcher
{
    QString title, text;
    void arm()
    {
        QTimer::singleShot(0, [this] { poll(); });
    }
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, [this] { poll(); });
            return;
        }
        title = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    }
};

BatteryTestPopup *popupOf(MainDialog &d)
{
    return d.displayPage()->popup();
}
} // namespace

class TestDisplayGui : public QObject
{
    Q_OBJECT
private slots:
    void inputsSendOnlyOnReturn_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("frame");      // hex; empty: nothing sent, message shown
        QTest::addColumn<QString>("shownAfter"); // what the refresh shows once applied
        // The instrument takes at most 10 A and shows what it took.
        QTest::newRow("set-point") << "lineEdit_value"
                                   << "12.5"
                                   << "5505012141480000eeff"
                                   << "10.0000";
        QTest::newRow("cut-off voltage") << "lineEdit_value_zero_v"
                                         << "3.5"
                                         << "5505012940600000eeff"
                                         << "003.5";
        QTest::newRow("full voltage") << "lineEdit_value_full_v"
                                      << "4.5"
                                      << "5505012a40900000eeff"
                                      << "004.5";
        QTest::newRow("full current") << "lineEdit_value_full_a"
                                      << "0.25"
                                      << "5505012b3e800000eeff"
                                      << "00.25";
        QTest::newRow("hours 99") << "lineEdit_value_lilitime_h"
                                  << "99"
                                  << "5505013163000001eeff"
                                  << "99";
        QTest::newRow("minutes") << "lineEdit_value_limitime_m"
                                 << "45"
                                 << "550501312d000002eeff"
                                 << "45";
        QTest::newRow("comma decimal") << "lineEdit_value"
                                       << "1,5"
                                       << ""
                                       << "01.0000";
        QTest::newRow("not a number") << "lineEdit_value_full_v"
                                      << "nan"
                                      << ""
                                      << "004.2";
        QTest::newRow("hours with a point") << "lineEdit_value_lilitime_h"
                                            << "1.5"
                                            << ""
                                            << "00";
        // Out of what the instrument holds: refused with the range (after '|'), and the field
        // shows the instrument's value at once.
        QTest::newRow("hours 300") << "lineEdit_value_lilitime_h"
                                   << "300"
                                   << "|0～99"
                                   << "00";
        QTest::newRow("hours -1") << "lineEdit_value_lilitime_h"
                                  << "-1"
                                  << "|0～99"
                                  << "00";
        QTest::newRow("minutes 60") << "lineEdit_value_limitime_m"
                                    << "60"
                                    << "|0～59"
                                    << "00";
        QTest::newRow("negative set-point") << "lineEdit_value"
                                            << "-1"
                                            << "|0～99.9999"
                                            << "01.0000";
        QTest::newRow("cut-off voltage 1000") << "lineEdit_value_zero_v"
                                              << "1000"
                                              << "|0～999.9"
                                              << "";
        QTest::newRow("full current 100") << "lineEdit_value_full_a"
                                          << "100"
                                          << "|0～99.99"
                                          << "";
    }

    void inputsSendOnlyOnReturn()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, frame);
        QFETCH(QString, shownAfter);
        GuiFixture f;
        openDisplay(f);
        auto *edit = f.w<QLineEdit>(field.toLatin1().constData());
        // The instrument's settings have arrived once its set-point shows.
        QTRY_COMPARE(f.w<QLineEdit>("lineEdit_value")->text(), QString("01.0000"));

        // Leaving the field with Tab sends nothing and gives it back to the refresh.
        const QString before = edit->text();
        f.bus->clearWrittenReports();
        type(edit, "7", Qt::Key_Tab);
        QVERIFY(!edit->hasFocus());
        QTRY_COMPARE(edit->text(), before);
        for (quint8 code : {0x21, 0x29, 0x2A, 0x2B, 0x31})
            QVERIFY(f.framesWithCode(code).isEmpty());

        MessageBoxCatcher box;
        const bool refused = frame.isEmpty() || frame.startsWith('|');
        if (refused)
            box.arm();
        f.bus->clearWrittenReports();
        type(edit, typed, Qt::Key_Return);
        QVERIFY(!edit->hasFocus());
        if (refused) {
            QTRY_COMPARE(box.title, QString("提示"));
            QCOMPARE(box.text,
                     frame.isEmpty()
                         ? QString("<font color='red'>文本框含有非法字符，请重新输入！</font>")
                         : "<font color='red'>超出仪器可设置的范围（" + frame.mid(1) +
                               "），请重新输入！</font>");
            if (!frame.isEmpty())
                QCOMPARE(edit->text(), before); // at once, not only at the next refresh
            QTest::qWait(300);
            for (quint8 code : {0x21, 0x29, 0x2A, 0x2B, 0x31})
                QVERIFY(f.framesWithCode(code).isEmpty());
        } else {
            const QByteArray expected = QByteArray::fromHex(frame.toLatin1());
            QVERIFY(!f.framesWithCode(quint8(expected[3])).isEmpty());
            const QByteArray sent = f.framesWithCode(quint8(expected[3])).first();
            QCOMPARE(sent.left(10).toHex(), expected.toHex());
            QCOMPARE(sent.size(), 64);
        }
        // The instrument's own value comes back (the simulated instrument applied it, or kept
        // its value after a refused input).
        QTRY_COMPARE_WITH_TIMEOUT(edit->text(), shownAfter.isEmpty() ? before : shownAfter, 4000);
    }

    // The title bar's menu opening over a field being typed in, closed with Escape or by
    // choosing a language: nothing goes out and the typing stays; Return then sends it.
    void popupOverAnInputSendsNothing_data()
    {
        QTest::addColumn<QString>("tile");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("chooseLanguage");
        QTest::addColumn<QString>("frame"); // hex of 7.7 sent on Return
        QTest::newRow("display, Escape") << "tbtn3"
                                         << "lineEdit_value" << false << "55050121";
        QTest::newRow("display, language") << "tbtn3"
                                           << "lineEdit_value" << true << "55050121";
        QTest::newRow("settings, Escape") << "tbtn2"
                                          << "settings_edit_voltzero" << false << "55050129";
        QTest::newRow("settings, language") << "tbtn2"
                                            << "settings_edit_voltzero" << true << "55050129";
    }

    void popupOverAnInputSendsNothing()
    {
        QFETCH(QString, tile);
        QFETCH(QString, field);
        QFETCH(bool, chooseLanguage);
        QFETCH(QString, frame);
        GuiFixture f;
        openDisplay(f, tile.toLatin1().constData());
        auto *edit = f.w<QLineEdit>(field.toLatin1().constData());
        QTRY_VERIFY(!edit->text().isEmpty());
        edit->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(edit->hasFocus());
        edit->selectAll();
        QTest::keyClicks(edit, "7.7");
        const quint8 code = quint8(QByteArray::fromHex(frame.toLatin1())[3]);
        f.bus->clearWrittenReports();

        f.click("btnMenu_Menu");
        QMenu *menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
        if (chooseLanguage) {
            QAction *english = menu->actions().at(1);
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(english).center());
        } else {
            QTest::keyClick(menu, Qt::Key_Escape);
        }
        QTRY_VERIFY(!QApplication::activePopupWidget());
        // A few polls later the refresh has had its chance to overwrite the field.
        QTRY_VERIFY(f.bus->writtenReports().size() >= 3);
        QVERIFY(f.framesWithCode(code).isEmpty());
        QCOMPARE(edit->text(), QString("7.7"));
        // Back in the window (offscreen, a closed pop-up leaves no window active), the field
        // still holds the keyboard.
        QApplication::setActiveWindow(f.dialog.get());
        QTRY_VERIFY(edit->hasFocus());

        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(f.framesWithCode(code).size(), 1);
        QCOMPARE(f.framesWithCode(code).first().left(8).toHex(), (frame + "40f66666").toLatin1());
    }

    void nothingSentWithoutDevice()
    {
        GuiFixture f(QString(), /*plugged=*/false);
        MainDialog &d = f.open();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        f.w<QStackedWidget>("disp_stackedWidget")->setCurrentIndex(2);
        type(f.w<QLineEdit>("lineEdit_value"), "2.5", Qt::Key_Return);
        f.click("disp_Btn_Run"); // starts without a device: flags flip, nothing goes out
        QVERIFY(d.runActive());
        popupOf(d)->findChild<QPushButton *>("Btnok")->click();
        QVERIFY(f.bus->writtenReports().isEmpty());
        // Placeholders before any reading, in the formats of the live values.
        const std::pair<const char *, const char *> placeholders[] = {
            {"disp_label_VOL", "0000.00"},    {"disp_label_CUR", "000.000"},
            {"disp_label_ELE", "00000.0"},    {"disp_label_CAP", "000000"},
            {"disp_label_CPU_VALUE", "00.0"}, {"disp_label_FANS_VALUE", "0000"}};
        for (const auto &p : placeholders)
            QCOMPARE(f.text(p.first), QString(p.second));
    }

    // A full run: start, samples of the running instrument, stop and its data file; then a run
    // too short to save.
    void runStartAndStop()
    {
        GuiFixture f;
        SettingsFile().write("save_path", f.workDir.path() + "/runs");
        QVERIFY(QDir().mkpath(f.workDir.path() + "/runs"));
        FakeClock clock;
        MainDialog &d = openDisplay(f);
        d.acquisition().timer()->stop(); // the test steps the cycle itself
        // Chart ticks until `rows` samples are recorded; a report read meanwhile may say the run
        // has not begun yet, so some ticks may pass without a sample.
        auto tickUntil = [&](qint64 rows) {
            for (int i = 0; i < 400 && d.recorder().rowCount() < rows; ++i) {
                clock.advance(500);
                d.acquisition().step();
                QTest::qWait(5);
            }
        };
        QSignalSpy restarted(&d.runSession(), &acquire::RunSession::started);
        QSignalSpy cleared(&d.recorder(), &Recorder::cleared);
        auto *run = f.w<QPushButton>("disp_Btn_Run");
        QCursor::setPos(d.mapToGlobal(QPoint(2, 2))); // pointer away from the button
        auto runFrame = [&f] { return f.framesWithCode(0x25).value(0).left(10).toHex(); };

        f.bus->clearWrittenReports();
        f.click("disp_Btn_Run");
        QCOMPARE(runFrame(), QByteArray("5505012501000000eeff"));
        QCOMPARE(run->text(), QString("停止放电"));
        QCOMPARE(run->toolTip(), QString("单击停止放电"));
        QVERIFY(d.runActive());
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(restarted.size(), 1);
        QCOMPARE(d.chartPage().liveChart().anchorMinSecs(), clock.wall.toSecsSinceEpoch());
        QCOMPARE(d.chartPage().liveChart().anchorMaxSecs(), clock.wall.toSecsSinceEpoch() + 10);
        QCOMPARE(d.recorder().rowCount(), qint64(0));
        tickUntil(12);
        QCOMPARE(d.recorder().rowCount(), qint64(12));
        // The instrument runs: its reports keep the state, the refresh keeps the text.
        QTRY_VERIFY(d.link().live().current > 0.5f);
        QVERIFY(d.link().state().deviceRunning);
        d.acquisition().step();
        QCOMPARE(run->text(), QString("停止放电"));

        f.bus->clearWrittenReports();
        f.click("disp_Btn_Run");
        QCOMPARE(runFrame(), QByteArray("5505012500000000eeff"));
        QVERIFY(!d.runActive());
        QCOMPARE(run->text(), QString("开始放电"));
        QCOMPARE(run->toolTip(), QString("单击开始放电"));
        const QString status = f.text("label_left_tips");
        QVERIFY2(status.startsWith("Data_Path:" + f.workDir.path() + "/runs/LoadData_"),
                 qPrintable(status));
        QFile file(status.mid(QString("Data_Path:").size()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        // One row per sample, each starting with its time stamp, after the header block.
        const QStringList rows = QString::fromUtf8(file.readAll())
                                     .split('\n')
                                     .filter(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d_"));
        QCOMPARE(rows.size(), 12);

        // A run of fewer than ten samples writes nothing.
        f.click("disp_Btn_Run");
        QCOMPARE(d.recorder().rowCount(), qint64(0)); // the start cleared the last run
        tickUntil(3);
        QCOMPARE(d.recorder().rowCount(), qint64(3));
        f.click("disp_Btn_Run");
        QCOMPARE(f.text("label_left_tips"), QString("Data_Path:No data."));
        QCOMPARE(QDir(f.workDir.path() + "/runs").entryList(QDir::Files).size(), 1);
    }

    void batteryModeTextsFollowThePointer()
    {
        GuiFixture f;
        MainDialog &d = openDisplay(f, "tbtn10"); // mode 7
        QTRY_COMPARE(d.link().live().workMode, quint8(7));
        auto *run = f.w<QPushButton>("disp_Btn_Run");
        QCursor::setPos(run->mapToGlobal(run->rect().center()));
        f.click("disp_Btn_Run");
        QCOMPARE(run->text(), QString("单击停止"));
        d.acquisition().step(); // the pointer rests on the button: its text stays
        QCOMPARE(run->text(), QString("单击停止"));
        // The instrument asks first; answering "clear and start" makes it run.
        QTRY_VERIFY(popupOf(d)->isVisible());
        QCursor::setPos(d.mapToGlobal(QPoint(2, 2)));
        popupOf(d)->findChild<QPushButton *>("Btn3")->click();
        QTRY_COMPARE(run->text(), QString("停止"));
        QTRY_VERIFY(!popupOf(d)->isVisible());
        f.click("disp_Btn_Run");
        QCOMPARE(run->text(), QString("开始"));
        QCOMPARE(run->toolTip(), QString("单击开始"));
    }

    // Left alone, the question times out and the instrument stays idle: the button under the
    // pointer no longer offers to stop, and its click starts (and asks) again instead of saving
    // an empty run.
    void batteryQuestionLeftAlone()
    {
        GuiFixture f("HK07;speed=8");
        SettingsFile().write("save_path", f.workDir.path() + "/runs");
        QVERIFY(QDir().mkpath(f.workDir.path() + "/runs"));
        MainDialog &d = openDisplay(f, "tbtn10"); // mode 7
        QTRY_COMPARE(d.link().live().workMode, quint8(7));
        auto *run = f.w<QPushButton>("disp_Btn_Run");
        const QString tipsBefore = f.text("label_left_tips");
        QCursor::setPos(run->mapToGlobal(run->rect().center()));
        f.click("disp_Btn_Run");
        QCOMPARE(run->text(), QString("单击停止"));
        QTRY_VERIFY(popupOf(d)->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!popupOf(d)->isVisible(), 10000);
        QTRY_COMPARE(run->text(), QString("开始"));
        QVERIFY(!d.link().state().deviceRunning);
        f.click("disp_Btn_Run");
        QTRY_VERIFY(popupOf(d)->isVisible());
        QCOMPARE(f.text("label_left_tips"), tipsBefore);
        QVERIFY(QDir(f.workDir.path() + "/runs").entryList(QDir::Files).isEmpty());
    }

    void batteryQuestionFollowsTheInstrument()
    {
        GuiFixture f;
        MainDialog &d = openDisplay(f, "tbtn11"); // mode 8
        QTRY_COMPARE(d.link().live().workMode, quint8(8));
        BatteryTestPopup *popup = popupOf(d);
        auto *btn1 = popup->findChild<QPushButton *>("Btn1");
        auto *btn2 = popup->findChild<QPushButton *>("Btn2");
        auto *btn3 = popup->findChild<QPushButton *>("Btn3");
        auto *count = popup->findChild<QLabel *>("lab_count");
        QVERIFY(!popup->isVisible());

        f.click("disp_Btn_Run");
        QTRY_VERIFY(popup->isVisible());
        QVERIFY(btn2->isHidden());
        QCOMPARE(btn3->geometry(), QRect(20, 188, 281, 45));
        QCOMPARE(btn1->styleSheet(), popupButtonStyle("rgb(220, 78, 255)", "rgb(220, 78, 255)"));
        QCOMPARE(btn3->styleSheet(), popupButtonStyle("rgb(27, 209, 158)", "rgb(220, 78, 255)"));
        const int seconds = count->text().toInt();
        QVERIFY2(seconds >= 6 && seconds <= 8, qPrintable(count->text()));
        QTRY_VERIFY(count->text().toInt() < seconds); // counts down with the instrument

        f.bus->clearWrittenReports();
        btn3->click(); // "clear data and start" is answer 2 in the two-answer layout
        QCOMPARE(f.framesWithCode(0x35).size(), 1);
        QCOMPARE(f.framesWithCode(0x35).first().left(10).toHex(),
                 QByteArray("5505013502000000eeff"));
        QTRY_VERIFY(!popup->isVisible());
        QTRY_VERIFY(d.link().state().deviceRunning);

        // Stopped in the middle, the next start offers to continue: three answers.
        f.click("disp_Btn_Run");
        QTRY_VERIFY(!d.link().state().deviceRunning);
        f.click("disp_Btn_Run");
        QTRY_VERIFY(popup->isVisible());
        QVERIFY(!btn2->isHidden());
        QCOMPARE(btn3->geometry(), QRect(20, 210, 281, 23));
        QCOMPARE(btn1->styleSheet(), popupButtonStyle("rgb(220, 78, 255)", "rgb(220, 78, 255)"));

        // Leaving the battery modes ends the question.
        f.click("disp_btnReturn");
        f.click("tbtn4");
        QTRY_VERIFY(!popup->isVisible());
        QTRY_COMPARE(d.link().live().workMode, quint8(1));
    }

    void hk09HidesTheChargeLimits()
    {
        const char *limits[] = {
            "label_full_v",      "lineEdit_value_full_v", "label_unit_full_v", "label_full_a",
            "label_full_a_less", "lineEdit_value_full_a", "label_unit_full_a"};
        const char *kept[] = {
            "widgetConsValue",           "lineEdit_value_zero_v", "lineEdit_value_lilitime_h",
            "lineEdit_value_limitime_m", "disp_Btn_Run",          "disp_btn_RangCustom"};
        for (const char *model : {"HK07", "HK09"}) {
            GuiFixture f(model);
            openDisplay(f);
            QMap<QString, QRect> places;
            for (const char *name : limits)
                QCOMPARE(f.w(name)->isHidden(), QByteArray(model) == "HK09");
            for (const char *name : kept) {
                QVERIFY(f.w(name)->isVisible());
                places[name] = f.w(name)->geometry();
            }
            QCOMPARE(places["lineEdit_value_zero_v"], QRect(255, 5, 61, 21));
            QCOMPARE(places["disp_Btn_Run"], QRect(40, 30, 71, 24));
        }
    }

    void rangeButtonTogglesThePanel()
    {
        GuiFixture f;
        MainDialog &d = openDisplay(f);
        d.resize(1232, 900); // the design size: the container is 961 x 671
        QTRY_COMPARE(f.w("widget")->size(), QSize(961, 671));
        QWidget *panel = d.displayPage()->rangePanel();
        QVERIFY(panel && !panel->isVisible());
        QCOMPARE(panel->parentWidget(), f.w("widget"));
        f.click("disp_btn_RangCustom");
        QVERIFY(panel->isVisible());
        // Centred in the 961 x 671 container: dx = 297, dy = 165, less 10 on each side; the
        // panel's fixed 367 x 341 wins over the 200 x 200 rectangle, so no row is cut off.
        QCOMPARE(panel->geometry(), QRect(287, 155, 367, 341));
        f.click("disp_btn_RangCustom");
        QVERIFY(!panel->isVisible());
    }

    void windowFitsSmallAndLargeScreens()
    {
        GuiFixture f;
        MainDialog &d = openDisplay(f);
        auto *scroll = f.w<QScrollArea>("disp_scrollArea");
        // The offscreen screen is smaller than the design: the window fits it, the page scrolls.
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY(d.width() <= std::max(screen.width(), kSmallestWindow.width()));
        QTRY_VERIFY(scroll->verticalScrollBar()->isVisible());
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        QVERIFY(f.w("label_left_tips")->visibleRegion().isEmpty() == false);

        // A 1366 x 768 screen: the chart gives up height, so the whole page shows unscrolled.
        d.resize(1366, 768);
        QTRY_VERIFY(!scroll->verticalScrollBar()->isVisible());
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        const int lost = 818 - f.w("page_disp")->height();
        QVERIFY(lost > 0 && lost <= kChartShrink);
        QVERIFY(f.w("page_disp")->width() > 981);
        QCOMPARE(f.w("widget")->geometry(),
                 QRect(10, 130, 961 + f.w("page_disp")->width() - 981, 671 - lost));
        QCOMPARE(f.w("label_left_tips")->y(), 801 - lost);
        // The home page's content fits too: no scroll bar for the empty band below its grid.
        f.click("disp_btnReturn");
        QTRY_VERIFY(!scroll->verticalScrollBar()->isVisible());
        QVERIFY(f.w("page")->height() >= f.w("home_grid_widget")->geometry().bottom());
        f.click("tbtn3");

        // The design size: no scrolling, every rectangle as designed.
        d.resize(1232, 900);
        QTRY_VERIFY(!scroll->verticalScrollBar()->isVisible());
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        QCOMPARE(f.w("widget")->geometry(), QRect(10, 130, 961, 671));
        QCOMPARE(f.w("disp_btnUpgrade")->geometry(), QRect(920, 2, 41, 31));
        QCOMPARE(f.w("disp_btn_RangCustom")->geometry(), QRect(860, 1, 101, 23));

        // Larger: the chart container takes the room, the controls at its right edge follow it.
        d.resize(1920, 1040);
        QTRY_VERIFY(f.w("page_disp")->width() > 1600);
        const QSize extra = f.w("page_disp")->size() - QSize(981, 818);
        QVERIFY(extra.height() > 100);
        QCOMPARE(f.w("widget")->size(), QSize(961, 671) + extra);
        QCOMPARE(f.w("gridLayoutWidget")->size(), QSize(961, 621) + extra);
        QCOMPARE(f.w("disp_btnUpgrade")->geometry(), QRect(920 + extra.width(), 2, 41, 31));
        QCOMPARE(f.w("disp_btn_cc1_cc2")->geometry(), QRect(895 + extra.width(), 30, 65, 23));
        QCOMPARE(f.w("label_left_tips")->y(), 801 + extra.height());
        // The four value panels share the extra width: no empty band right of them.
        QCOMPARE(f.w("disp_widget_VBUS")->geometry(), QRect(10, 50, 230 + extra.width() / 4, 81));
        QCOMPARE(f.w("disp_widget_USB")->geometry().right(), 969 + extra.width());
        // The home grid stays centred.
        f.click("disp_btnReturn");
        QWidget *grid = f.w("home_grid_widget");
        QTRY_COMPARE(grid->geometry(),
                     QRect(35 + extra.width() / 2, 120 + extra.height() / 2, 922, 460));
    }

    void captionsFitTheirRectangles()
    {
        GuiFixture f;
        openDisplay(f);
        // The first label whose visible text sticks out of its rectangle, if any.
        auto misfit = [&f]() -> QString {
            for (QLabel *label : f.w("page_disp")->findChildren<QLabel *>()) {
                if (label->text().isEmpty() || label->wordWrap() || label->isHidden())
                    continue;
                if (!textFits(label->font(), label->text(), label->contentsRect().width(),
                              label->alignment()))
                    return label->objectName() + ": " + label->text();
            }
            return QString();
        };
        QCOMPARE(misfit(), QString());
        // No caption runs into the value beside it.
        const QList<QLabel *> other = f.w("disp_widget_USB")->findChildren<QLabel *>();
        for (QLabel *a : other)
            for (QLabel *b : other)
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + " / " + b->objectName()));
        // The return arrow is a glyph drawn at its own size, whatever the language.
        const QFont arrow = f.w("disp_btnReturn")->font();
        f.chooseLanguage("language_english");
        QTRY_COMPARE(f.text("label_zero_v"), QString("Cut_Off Volt:"));
        QTRY_COMPARE(misfit(), QString());
        // The upgrade shortcut's caption is whole, and comes back whole in Chinese.
        QCOMPARE(f.text("disp_label_tip_2"), QString("Upgrade"));
        QCOMPARE(f.w("disp_btnReturn")->font(), arrow);
        f.chooseLanguage("language_chinese");
        QTRY_COMPARE(f.text("disp_label_tip_2"), QString("固件升级"));
        QTRY_COMPARE(misfit(), QString());
        QCOMPARE(f.w("disp_btnReturn")->font(), arrow);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installFontSubstitutes(); // the fonts the program draws with
    TestDisplayGui test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_display_gui.moc"
