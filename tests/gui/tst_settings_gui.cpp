// Both instrument settings pages, used as a user would against the simulated instrument: what
// goes over the wire, what comes back in the settings replies, and what must never be sent.

#include "tests/gui/gui_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QWheelEvent>

namespace {

constexpr char kSelected[] = "QPushButton{background-color: rgb(0, 170, 0);}";

bool highlighted(QPushButton *b)
{
    return b->styleSheet().startsWith(kSelected);
}

QPoint handleCentre(QSlider *s, int value)
{
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.orientation = s->orientation();
    opt.minimum = s->minimum();
    opt.maximum = s->maximum();
    opt.sliderPosition = opt.sliderValue = value;
    opt.subControls = QStyle::SC_All;
    return s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s).center();
}

void pointerAway()
{
    QCursor::setPos(-500, -500);
}

// Drags one value per mouse move, the pointer on the slider or wandered off it.
void drag(QSlider *s, int from, int to, bool onSlider = true)
{
    QCursor::setPos(s->mapToGlobal(handleCentre(s, from)));
    QTest::mousePress(s, Qt::LeftButton, {}, handleCentre(s, from));
    for (int v = from; v != to;) {
        v += to > from ? 1 : -1;
        const QPoint p = handleCentre(s, v);
        QCursor::setPos(onSlider ? s->mapToGlobal(p) : QPoint(-500, -500));
        QMouseEvent move(QEvent::MouseMove, p, s->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(s, &move);
    }
    QTest::mouseRelease(s, Qt::LeftButton, {}, handleCentre(s, to));
}

// One wheel notch down over a control, the pointer resting on it.
void wheelOver(QWidget *w)
{
    const QPoint centre = w->rect().center();
    QCursor::setPos(w->mapToGlobal(centre));
    QWheelEvent wheel(centre, w->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &wheel);
}

void typeInto(QLineEdit *e, const QString &text)
{
    QTest::mouseClick(e, Qt::LeftButton);
    e->selectAll();
    QTest::keyClicks(e, text);
}

// Answers the next message box with OK and keeps what it said.
struct MessageCatcher
{
    QString title, text;
    int polls = 0;
    void arm()
    {
        QTimer::singleShot(20, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box) {
                title = box->windowTitle();
                text = box->text();
                box->accept();
            } else if (++polls < 100) {
                arm();
            }
        });
    }
};

QByteArray frame(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

// Settings command frames (codes 0x20..0x36) written since the last clear.
QVector<QByteArray> settingsCommands(const GuiFixture &f)
{
    QVector<QByteArray> out;
    for (const QByteArray &r : f.frames())
        if (quint8(r[3]) >= 0x20 && quint8(r[3]) <= 0x36)
            out.append(r.left(10));
    return out;
}

void openSettingsPage(GuiFixture &f, bool nv05)
{
    f.open();
    QApplication::setActiveWindow(f.dialog.get());
    QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
    QVERIFY(f.waitForScanEnd());
    f.click(nv05 ? "NV05_tbtn2" : "tbtn2");
    QCOMPARE(f.page(), nv05 ? 9 : 3);
    pointerAway();
    // The first settings reply shows the instrument's own values (standby time 60, brightness 5).
    const char *slider = nv05 ? "NV05_settings_slider_worklight" : "settings_slider_worklight";
    QTRY_COMPARE(f.w<QSlider>(slider)->value(), 5);
}

// One control of a round trip: what the user does, what the instrument then holds, and what
// the page shows again after a local change that was not sent.
enum class Act
{
    Slider,
    Edit,
    Combo,
    Click
};
struct RoundTrip
{
    const char *control;
    Act act;
    int value;         // slider value, combo index
    const char *text;  // typed text; for Click unused
    const char *shown; // edit text the refresh shows
    float proto::LiveValues::*floatField;
    uint8_t proto::LiveValues::*byteField;
    double expected;
};

using LV = proto::LiveValues;
const RoundTrip kHk07[] = {
    {"settings_btn_EN1", Act::Click, 0, nullptr, nullptr, nullptr, &LV::displayStyle, 3},
    {"settings_slider_worklight", Act::Slider, 7, nullptr, nullptr, nullptr, &LV::workBrightness,
     7},
    {"settings_slider_standlight", Act::Slider, 3, nullptr, nullptr, nullptr,
     &LV::standbyBrightness, 3},
    {"settings_slider_standtime", Act::Slider, 25, nullptr, nullptr, nullptr, &LV::standbyTime, 25},
    {"settings_slider_voltcali", Act::Slider, 1100, nullptr, nullptr, &LV::voltCalibration, nullptr,
     1.1},
    {"settings_slider_currcali", Act::Slider, 950, nullptr, nullptr, &LV::currCalibration, nullptr,
     0.95},
    {"settings_slider_tempcali", Act::Slider, 1999, nullptr, nullptr, &LV::tempCalibration, nullptr,
     1.999},
    {"settings_edit_voltzero", Act::Edit, 0, "10.5", "010.5", &LV::dischargeStopVoltage, nullptr,
     10.5},
    {"settings_edit_voltfull", Act::Edit, 0, "14.4", "014.4", &LV::chargeStopVoltage, nullptr,
     14.4},
    {"settings_edit_currfull", Act::Edit, 0, "0.25", "00.25", &LV::chargeStopCurrent, nullptr,
     0.25},
    {"settings_edit_currover", Act::Edit, 0, "8.5", "08.50", &LV::overCurrentLimit, nullptr, 8.5},
    {"settings_edit_poweover", Act::Edit, 0, "150", "0150", &LV::overPowerLimit, nullptr, 150},
    {"settings_edit_ntcover", Act::Edit, 0, "70", "070", &LV::probeOverTemp, nullptr, 70},
    {"settings_edit_mosover", Act::Edit, 0, "90", "090", &LV::mosOverTemp, nullptr, 90},
    {"settings_edit_timeh", Act::Edit, 0, "2", "02", nullptr, &LV::limitHours, 2},
    {"settings_edit_timem", Act::Edit, 0, "30", "30", nullptr, &LV::limitMinutes, 30},
};
const RoundTrip kNv05[] = {
    {"NV05_settings_btn_EN", Act::Click, 0, nullptr, nullptr, nullptr, &LV::displayStyle, 2},
    {"NV05_settings_slider_worklight", Act::Slider, 9, nullptr, nullptr, nullptr,
     &LV::workBrightness, 9},
    {"NV05_settings_slider_standlight", Act::Slider, 0, nullptr, nullptr, nullptr,
     &LV::standbyBrightness, 0},
    {"NV05_settings_slider_standtime", Act::Slider, 10, nullptr, nullptr, nullptr, &LV::standbyTime,
     10},
    {"NV05_setting_comboBox", Act::Combo, 7, nullptr, nullptr, nullptr, &LV::limitHours, 10},
    {"NV05_settings_slider_voltcali", Act::Slider, 500, nullptr, nullptr, &LV::voltCalibration,
     nullptr, 0.5},
    {"NV05_settings_slider_currcali", Act::Slider, 2000, nullptr, nullptr, &LV::currCalibration,
     nullptr, 2.0},
    {"NV05_settings_slider_tempcali", Act::Slider, 999, nullptr, nullptr, &LV::tempCalibration,
     nullptr, 0.999},
    {"NV05_settings_edit_lowvolt", Act::Edit, 0, "2.8", "002.8", &LV::dischargeStopVoltage, nullptr,
     2.8},
    {"NV05_settings_edit_overvolt", Act::Edit, 0, "60", "060.0", &LV::chargeStopVoltage, nullptr,
     60},
    {"NV05_settings_edit_overpower", Act::Edit, 0, "2500", "2500", &LV::overPowerLimit, nullptr,
     2500},
    {"NV05_settings_edit_ntcover", Act::Edit, 0, "65", "065", &LV::probeOverTemp, nullptr, 65},
};

} // namespace

class TestSettingsGui : public QObject
{
    Q_OBJECT

    void roundTrip(const char *demo, const RoundTrip *rows, int count)
    {
        GuiFixture f(demo);
        openSettingsPage(f, QByteArray(demo) == "NV05");
        // The user changes every control.
        for (int i = 0; i < count; ++i) {
            const RoundTrip &r = rows[i];
            if (r.act == Act::Slider) {
                auto *s = f.w<QSlider>(r.control);
                QCursor::setPos(s->mapToGlobal(s->rect().center())); // dragged with the mouse
                s->setValue(r.value);
                pointerAway();
            } else if (r.act == Act::Edit) {
                typeInto(f.w<QLineEdit>(r.control), r.text);
                QTest::keyClick(f.w<QLineEdit>(r.control), Qt::Key_Return);
            } else if (r.act == Act::Combo) {
                auto *c = f.w<QComboBox>(r.control);
                c->setFocus();
                c->setCurrentIndex(r.value);
            } else {
                f.click(r.control);
            }
        }
        // The instrument holds every new value...
        auto held = [&](const RoundTrip &r) {
            const LV v = *f.bus->readings(1);
            const double got = r.floatField ? double(v.*r.floatField) : double(v.*r.byteField);
            return qAbs(got - r.expected) < 1e-4;
        };
        for (int i = 0; i < count; ++i)
            QTRY_VERIFY2(held(rows[i]), rows[i].control);

        // ...and its replies bring them back after local changes that were not sent.
        f.bus->clearWrittenReports();
        for (int i = 0; i < count; ++i) {
            const RoundTrip &r = rows[i];
            if (r.act == Act::Slider)
                f.w<QSlider>(r.control)->setValue(r.value == 10 ? 11 : r.value - 1);
            else if (r.act == Act::Edit)
                f.w<QLineEdit>(r.control)->setText("?");
            else if (r.act == Act::Combo)
                f.w<QComboBox>(r.control)->setCurrentIndex(1);
            else
                f.w<QPushButton>(r.control)->setStyleSheet(QString());
        }
        auto shown = [&](const RoundTrip &r) {
            if (r.act == Act::Slider)
                return f.w<QSlider>(r.control)->value() == r.value;
            if (r.act == Act::Edit)
                return f.w<QLineEdit>(r.control)->text() == r.shown;
            if (r.act == Act::Combo)
                return f.w<QComboBox>(r.control)->currentIndex() == r.value;
            return highlighted(f.w<QPushButton>(r.control));
        };
        for (int i = 0; i < count; ++i)
            QTRY_VERIFY2(shown(rows[i]), rows[i].control);
        QVERIFY(settingsCommands(f).isEmpty());
    }

private slots:
    void hk07RoundTripThroughTheInstrument() { roundTrip("HK07", kHk07, int(std::size(kHk07))); }
    void nv05RoundTripThroughTheInstrument() { roundTrip("NV05", kNv05, int(std::size(kNv05))); }

    void sliderSendsOnlyWhatTheUserDoes()
    {
        GuiFixture f;
        openSettingsPage(f, false);
        auto *slider = f.w<QSlider>("settings_slider_worklight");
        drag(slider, 5, 1);
        f.bus->clearWrittenReports();
        drag(slider, 1, 4);
        QCOMPARE(settingsCommands(f),
                 QVector<QByteArray>({frame("55 05 01 22 00 00 00 02 EE FF"),
                                      frame("55 05 01 22 00 00 00 03 EE FF"),
                                      frame("55 05 01 22 00 00 00 04 EE FF")}));
        QCOMPARE(f.text("settings_label_worklight"), QString("4"));

        // A reply that moves the slider updates its label but sends nothing, even with the
        // pointer resting on it.
        slider->clearFocus();
        pointerAway();
        slider->setValue(7);
        QCOMPARE(f.text("settings_label_worklight"), QString("7"));
        QCursor::setPos(slider->mapToGlobal(slider->rect().center()));
        f.bus->clearWrittenReports();
        QTRY_COMPARE(slider->value(), 4);
        QCOMPARE(f.text("settings_label_worklight"), QString("4"));
        QVERIFY(settingsCommands(f).isEmpty());

        // Keyboard steps go out once, when the key is released.
        pointerAway();
        slider->setFocus();
        QTest::keyPress(slider, Qt::Key_Right);
        QTest::keyPress(slider, Qt::Key_Right);
        QCOMPARE(slider->value(), 6);
        QVERIFY(settingsCommands(f).isEmpty());
        QTest::keyRelease(slider, Qt::Key_Right);
        QCOMPARE(settingsCommands(f), {frame("55 05 01 22 00 00 00 06 EE FF")});
        QTRY_COMPARE(int(f.bus->readings(1)->workBrightness), 6);

        // A drag that wandered off the slider sends where it ended, on the mouse release.
        f.bus->clearWrittenReports();
        drag(slider, 6, 8, /*onSlider=*/false);
        QCOMPARE(settingsCommands(f), {frame("55 05 01 22 00 00 00 08 EE FF")});

        // A focused calibration slider keeps the user's position; its factor label follows the
        // key release.
        auto *cali = f.w<QSlider>("settings_slider_voltcali");
        cali->setFocus();
        QTest::keyClick(cali, Qt::Key_Left);
        QCOMPARE(f.text("settings_lab_califact_voltvalue"), QString("0.999"));
        QCOMPARE(settingsCommands(f).last(), frame("55 05 01 27 3F 7F BE 77 EE FF"));
    }

    void lineEditsSendOnlyOnReturn()
    {
        GuiFixture f;
        openSettingsPage(f, false);
        auto *edit = f.w<QLineEdit>("settings_edit_voltzero");
        f.bus->clearWrittenReports();
        typeInto(edit, "12.5");
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(settingsCommands(f), {frame("55 05 01 29 41 48 00 00 EE FF")});
        QVERIFY(!edit->hasFocus());

        // Typed, then left with the mouse: nothing goes out.
        f.bus->clearWrittenReports();
        typeInto(edit, "12.5");
        QTest::mouseClick(f.w<QLineEdit>("settings_edit_voltfull"), Qt::LeftButton);
        QVERIFY(settingsCommands(f).isEmpty());

        // A field being typed in is not overwritten by the replies.
        auto *hours = f.w<QLineEdit>("settings_edit_timeh");
        typeInto(hours, "9");
        QTRY_COMPARE(f.w<QLineEdit>("settings_edit_voltzero")->text(), QString("012.5"));
        QCOMPARE(hours->text(), QString("9"));
        QTest::keyClick(hours, Qt::Key_Return); // selector 1 for hours
        f.bus->clearWrittenReports();
        typeInto(hours, "99");
        QTest::keyClick(hours, Qt::Key_Return);
        QCOMPARE(settingsCommands(f), {frame("55 05 01 31 63 00 00 01 EE FF")});

        // Letters: the red message, nothing sent, the text stays.
        f.bus->clearWrittenReports();
        auto *power = f.w<QLineEdit>("settings_edit_poweover");
        typeInto(power, "abc");
        MessageCatcher box;
        box.arm();
        QTest::keyClick(power, Qt::Key_Return);
        QCOMPARE(box.title, QString("提示"));
        QCOMPARE(box.text, QString("<font color='red'>文本框含有非法字符，请重新输入！</font>"));
        QCOMPARE(power->text(), QString("abc"));
        QVERIFY(settingsCommands(f).isEmpty());
    }

    // A number the instrument cannot hold is refused with the range, nothing goes out, and the
    // field shows the instrument's value again at once.
    void outOfRangeIsRefused_data()
    {
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("range");
        QTest::newRow("hours 300 (was sent as 44)") << "HK07"
                                                    << "settings_edit_timeh"
                                                    << "300"
                                                    << "0～99";
        QTest::newRow("minutes 60") << "HK07"
                                    << "settings_edit_timem"
                                    << "60"
                                    << "0～59";
        QTest::newRow("negative cut-off voltage") << "HK07"
                                                  << "settings_edit_voltzero"
                                                  << "-3"
                                                  << "0～999.9";
        QTest::newRow("1e30 W") << "HK07"
                                << "settings_edit_poweover"
                                << "1e30"
                                << "0～9999";
        QTest::newRow("meter over-voltage 1000") << "NV05"
                                                 << "NV05_settings_edit_overvolt"
                                                 << "1000"
                                                 << "0～999.9";
        QTest::newRow("meter probe -5") << "NV05"
                                        << "NV05_settings_edit_ntcover"
                                        << "-5"
                                        << "0～999";
    }
    void outOfRangeIsRefused()
    {
        QFETCH(QString, demo);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, range);
        GuiFixture f(demo);
        openSettingsPage(f, demo == "NV05");
        auto *edit = f.w<QLineEdit>(field.toLatin1().constData());
        const QString held = edit->text();
        f.bus->clearWrittenReports();
        typeInto(edit, typed);
        MessageCatcher box;
        box.arm();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(box.title, QString("提示"));
        QCOMPARE(box.text,
                 "<font color='red'>超出仪器可设置的范围（" + range + "），请重新输入！</font>");
        QCOMPARE(edit->text(), held);
        QVERIFY(!edit->hasFocus());
        QTest::qWait(600); // a settings reply comes and goes meanwhile
        QVERIFY(settingsCommands(f).isEmpty());
        QCOMPARE(edit->text(), held);
    }

    // The wheel rolling over a slider or the shunt box while the page scrolls changes nothing
    // and sends nothing; once the user has focused the control, a notch goes out.
    void wheelNeedsAFocusedControl_data()
    {
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("code");
        QTest::newRow("calibration slider") << "HK07"
                                            << "settings_slider_voltcali" << 0x27;
        QTest::newRow("brightness slider") << "HK07"
                                           << "settings_slider_worklight" << 0x22;
        QTest::newRow("NV05 shunt box") << "NV05"
                                        << "NV05_setting_comboBox" << 0x36;
    }

    void wheelNeedsAFocusedControl()
    {
        QFETCH(QString, demo);
        QFETCH(QString, control);
        QFETCH(int, code);
        GuiFixture f(demo);
        openSettingsPage(f, demo == "NV05");
        auto *w = f.w<QWidget>(control.toLatin1().constData());
        auto *slider = qobject_cast<QSlider *>(w);
        auto *combo = qobject_cast<QComboBox *>(w);
        const auto value = [&] { return slider ? slider->value() : combo->currentIndex(); };
        if (combo)
            QTRY_COMPARE(combo->currentText(), QString("30A"));
        const int before = value();
        f.bus->clearWrittenReports();
        for (int notch = 0; notch < 3; ++notch)
            wheelOver(w);
        QCOMPARE(value(), before);
        QVERIFY(f.framesWithCode(quint8(code)).isEmpty());

        w->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(w->hasFocus());
        wheelOver(w);
        QVERIFY(value() != before);
        QCOMPARE(f.framesWithCode(quint8(code)).size(), 1);
        pointerAway();
    }

    void buttonsWithAndWithoutDevice()
    {
        {
            GuiFixture f;
            openSettingsPage(f, false);
            f.bus->clearWrittenReports();
            f.click("settings_btn_factory_reset");
            f.click("settings_btn_clearcurrent");
            f.click("settings_btn_datazero");
            QCOMPARE(settingsCommands(f), QVector<QByteArray>({
                                              frame("55 05 01 33 00 00 00 00 EE FF"),
                                              frame("55 05 01 32 00 00 00 00 EE FF"),
                                              frame("55 05 01 34 00 00 00 00 EE FF"),
                                          }));
        }
        GuiFixture f(QString(), /*plugged=*/false);
        f.open();
        // Screen readers find every control by what it does.
        for (const char *page : {"page_settings", "NV05_settings_page"}) {
            for (QWidget *w : f.w(page)->findChildren<QWidget *>()) {
                auto *button = qobject_cast<QPushButton *>(w);
                const bool control = button || qobject_cast<QAbstractSlider *>(w) ||
                                     qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w);
                if (!control || w->objectName().isEmpty()) // unnamed: inside a composite widget
                    continue;
                const QString name =
                    w->accessibleName().isEmpty() && button ? button->text() : w->accessibleName();
                QVERIFY2(!name.isEmpty(), qPrintable(w->objectName()));
            }
        }
        f.w<QStackedWidget>("disp_stackedWidget")->setCurrentIndex(3);
        f.click("settings_btn_EN2");
        QVERIFY(highlighted(f.w<QPushButton>("settings_btn_EN2")));
        for (const char *other : {"settings_btn_CN1", "settings_btn_CN2", "settings_btn_EN1"})
            QVERIFY(!highlighted(f.w<QPushButton>(other)));
        QVERIFY(f.bus->writtenReports().isEmpty());
    }

    void nv05ShuntStyleAndStandby()
    {
        GuiFixture f("NV05");
        openSettingsPage(f, true);
        QCOMPARE(f.w<QSlider>("NV05_settings_slider_standlight")->minimum(), 0);
        auto *combo = f.w<QComboBox>("NV05_setting_comboBox");
        QTRY_COMPARE(combo->currentText(), QString("30A")); // the instrument's code 30
        f.bus->clearWrittenReports();

        // "1000A" picked from the list with the mouse.
        QTest::mouseClick(combo, Qt::LeftButton);
        QAbstractItemView *list = combo->view();
        QTRY_VERIFY(list->isVisible());
        const QPoint item = list->visualRect(combo->model()->index(7, 0)).center();
        QTRY_VERIFY((QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item),
                     combo->currentIndex() == 7));
        QCOMPARE(settingsCommands(f), {frame("55 05 01 36 00 00 00 07 EE FF")});
        QVERIFY(!combo->hasFocus());

        // The reply carries code 10: "1000A" again, nothing sent.
        combo->setCurrentIndex(2);
        f.bus->clearWrittenReports();
        QTRY_COMPARE(int(f.bus->readings(1)->limitHours), 10);
        QTRY_COMPARE(combo->currentText(), QString("1000A"));
        QVERIFY(settingsCommands(f).isEmpty());

        f.click("NV05_settings_btn_EN");
        QCOMPARE(settingsCommands(f), {frame("55 05 01 20 02 00 00 00 EE FF")});
        QVERIFY(highlighted(f.w<QPushButton>("NV05_settings_btn_EN")));
        QVERIFY(!highlighted(f.w<QPushButton>("NV05_settings_btn_CN")));
    }
};

QTEST_MAIN(TestSettingsGui)
#include "tst_settings_gui.moc"
