// The interface language chosen in the title bar's menu, Chinese → English → Chinese: each page
// shows its texts in their own context, and what the user typed or the instrument sent stays.

#include "tests/gui/gui_fixture.h"

#include "record/clock.h"
#include "ui/firmware_page.h"
#include "settings/settings_file.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {
enum Language
{
    Chinese,
    English
};

// The title bar's menu, open; its first two entries are the languages.
QMenu *openLanguageMenu(GuiFixture &f)
{
    f.click("btnMenu_Menu");
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu)
        qFatal("the title bar's menu did not open");
    return menu;
}

void choose(GuiFixture &f, Language language)
{
    QMenu *menu = openLanguageMenu(f);
    QAction *entry = menu->actions().at(language);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

// What a label or button shows, as plain text.
QString shown(const QWidget *w)
{
    const QString text = w->property("text").toString();
    return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

QWidget *anyWindowsWidget(const QString &name)
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (QWidget *w = window->findChild<QWidget *>(name))
            return w;
    qFatal("no widget named %s", qPrintable(name));
}

// The chart title as a user sets it: through the title button's prompt.
void setChartTitle(GuiFixture &f, const QString &title)
{
    QTimer::singleShot(0, [title] {
        auto *input = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        QVERIFY(input);
        input->setTextValue(title);
        input->accept();
    });
    f.click("disp_btn_title");
}
} // namespace

class TestLanguageGui : public QObject
{
    Q_OBJECT
private slots:
    // One Chinese source with two English texts, and English texts with two Chinese sources:
    // each widget shows the text of its own context, both ways.
    void textsInTheirOwnContext_data()
    {
        QTest::addColumn<QStringList>("clicks"); // to reach the page; "viewer": the runs' window
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("chinese");
        QTest::addColumn<QString>("english");
        const char *const rows[][5] = {
            {"home title", "", "labTitle", "测试仪主界面", "Home Menu"},
            {"home hint", "", "label_home_hint", "主页菜单", "Home Menu"},
            {"upgrade tile", "", "tbtn1", "固件升级", "Firmware update"},
            {"upgrade shortcut", "tbtn3", "disp_label_tip_2", "固件升级", "Upgrade"},
            {"upgrade title", "tbtn1", "upgrade_labTitle", "固件升级", "Firmware update"},
            {"upgrade title, shortcut", "tbtn3 disp_btnUpgrade", "upgrade_labTitle", "固件升级",
             "Firmware update"},
            {"device name caption", "tbtn1", "upgrade_label_devname", "设备名称：", "Device name:"},
            {"display title", "tbtn3", "disp_labTitle", "恒电流模式", "Constant Current"},
            {"battery run button", "tbtn10", "disp_Btn_Run", "开始", "Start"},
            {"settings title, shortcut", "tbtn3 disp_btnSysSet", "settings_labTitle",
             "仪表参数设置", "Setting"},
            {"six page title", "tbtn7", "six_labTitle", "测内阻", "Internal_Res_Tester"},
            {"recorded runs' viewer", "viewer", "review_btnExportImage", "导出图片(.png)",
             "Export picture (.png)"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString(row[1]).split(' ', Qt::SkipEmptyParts) << row[2]
                                  << row[3] << row[4];
    }

    void textsInTheirOwnContext()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QString, widget);
        QFETCH(QString, chinese);
        QFETCH(QString, english);
        GuiFixture f;
        f.open();
        QVERIFY(f.waitForScanEnd());
        f.dialog->acquisition().timer()->stop(); // nothing changes but what the test does
        for (const QString &button : clicks) {
            if (button == QLatin1String("viewer")) {
                QMenu *menu = openLanguageMenu(f);
                menu->actions().at(3)->trigger();
                menu->close();
            } else {
                f.click(button.toLatin1().constData());
            }
        }
        QWidget *w = anyWindowsWidget(widget);
        QCOMPARE(shown(w), chinese);
        choose(f, English);
        QCOMPARE(shown(w), english);
        choose(f, Chinese);
        QCOMPARE(shown(w), chinese);
    }

    // The display page in the middle of its work: a run on, then stopped with a failed save; a
    // title and a set-point typed; values, names and serials from the instrument.
    void runTimeTextsBothWays()
    {
        GuiFixture f;
        const QString missing = f.workDir.file("no/such/folder");
        SettingsFile().write("save_path", missing);
        FakeClock clock;
        MainDialog &d = f.open();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QVERIFY(f.waitForScanEnd());
        f.click("tbtn3");
        d.acquisition().timer()->stop();              // nothing changes but what the test does
        QCursor::setPos(d.mapToGlobal(QPoint(2, 2))); // pointer away from the run button
        setChartTitle(f, "Cell 7, 2 A");

        auto *run = f.w<QPushButton>("disp_Btn_Run");
        f.click("disp_Btn_Run");
        for (int i = 0; i < 400 && d.recorder().rowCount() < 10; ++i) {
            clock.advance(500);
            d.acquisition().step();
            QTest::qWait(5);
        }
        QCOMPARE(d.recorder().rowCount(), qint64(10));

        // What the instrument sent, and what the user typed, as shown now. The upgrade page's
        // form is built as a visit builds it.
        d.findChild<FirmwarePage *>()->titleLabel();
        const char *const received[] = {
            "disp_label_VOL", "disp_label_CUR",         "disp_label_CAP",    "disp_label_CPU_VALUE",
            "disp_labDeviceTitle", "upgrade_label_devvalue", "label_model_value", "label_serial_value"};
        QStringList before;
        for (const char *name : received)
            before << shown(anyWindowsWidget(name));
        QVERIFY2(before.first().toDouble() > 1.0, qPrintable(before.first()));
        QVERIFY(!before.filter(QRegularExpression("HK07")).isEmpty());
        auto receivedUnchanged = [&] {
            for (int i = 0; i < before.size(); ++i)
                QCOMPARE(shown(anyWindowsWidget(received[i])), before[i]);
        };

        struct Expected
        {
            QString run, runTip, status;
        };
        auto check = [&](const Expected &e) {
            QCOMPARE(run->text(), e.run);
            QCOMPARE(run->toolTip(), e.runTip);
            QCOMPARE(f.text("label_left_tips"), e.status);
            QCOMPARE(f.w<QAbstractButton>("disp_btn_title")->text(), QString("Cell 7, 2 A"));
            receivedUnchanged();
        };
        const QString status = f.text("label_left_tips");
        check({"停止放电", "单击停止放电", status});
        choose(f, English);
        check({"ON", "Click to stop discharging", status});
        choose(f, Chinese);
        check({"停止放电", "单击停止放电", status});

        f.click("disp_Btn_Run");
        check({"开始放电", "单击开始放电", "数据保存失败: " + missing});
        choose(f, English);
        check({"OFF", "Click to start discharging", "Saving data failed: " + missing});
        QCOMPARE(f.text("label_connect_type"), QString("Connect"));
        QCOMPARE(f.text("label_index_value"), QString("M:1"));
        choose(f, Chinese);
        check({"开始放电", "单击开始放电", "数据保存失败: " + missing});
        QCOMPARE(f.text("label_connect_type"), QString("连接"));
        QCOMPARE(f.text("label_index_value"), QString("主:1"));

        // A set-point typed and not yet confirmed stays through both switches and is not sent.
        auto *edit = f.w<QLineEdit>("lineEdit_value");
        QApplication::setActiveWindow(&d); // offscreen, a closed pop-up leaves none active
        edit->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(edit->hasFocus());
        edit->selectAll();
        QTest::keyClicks(edit, "7.7");
        f.bus->clearWrittenReports();
        for (Language language : {English, Chinese}) {
            choose(f, language);
            QCOMPARE(edit->text(), QString("7.7"));
            QApplication::setActiveWindow(&d);
            QTRY_VERIFY(edit->hasFocus());
        }
        QVERIFY(f.framesWithCode(0x21).isEmpty());
    }

    // The menu marks the language in use and the settings file keeps it; Qt's own dialogs, the
    // home grids and the device list follow.
    void menusAndStoredChoice()
    {
        GuiFixture f;
        f.open();
        QVERIFY(f.waitForScanEnd());
        QCOMPARE(SettingsFile().read("Language"), QString()); // a first run
        auto checkedEntries = [&f] {
            QMenu *menu = openLanguageMenu(f);
            QStringList checked;
            for (QAction *a : menu->actions())
                if (a->isChecked())
                    checked << a->text();
            checked << menu->actions().at(3)->text();
            menu->close();
            return checked;
        };
        QCOMPARE(checkedEntries(), QStringList({"简体中文", "打开记录的数据..."}));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("取消"));

        choose(f, English);
        QCOMPARE(SettingsFile().read("Language"), QString("English"));
        QCOMPARE(checkedEntries(), QStringList({"English", "Open recorded runs..."}));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
        QCOMPARE(f.w<QToolButton>("NV05_tbtn3")->text(), QString("Chart Display"));
        QCOMPARE(f.dialog->findChild<QTreeWidget *>("device_treeWidget")->headerItem()->text(0),
                 QString("Devices"));
        f.click("disp_btn_menu"); // the chart's menu: its own context's "Export image"
        auto *chartMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(chartMenu);
        QCOMPARE(chartMenu->actions().at(1)->text(), QString("Export image (.png)"));
        chartMenu->close();
        f.click("tbtn4"); // a tile opens its page by what it is, not by its text
        QCOMPARE(f.text("disp_labTitle"), QString("Constant Voltage"));

        choose(f, Chinese);
        QCOMPARE(SettingsFile().read("Language"), QString("Chinese"));
        QCOMPARE(f.w<QToolButton>("tbtn3")->text(), QString("恒电流模式"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("取消"));
    }

    void startsInEnglishWhenStored()
    {
        GuiFixture f(QString(), false);
        SettingsFile().write("language", "English");
        f.open();
        QCOMPARE(f.text("Tips_label"), QString("Please connect the HID to the computer!"));
        QCOMPARE(f.w<QToolButton>("tbtn1")->text(), QString("Firmware update"));
        QCOMPARE(f.dialog->windowTitle(), QString("TALMIR USB TESTER"));
        choose(f, Chinese); // leave the application untranslated for later tests
    }
};

QTEST_MAIN(TestLanguageGui)
#include "tst_language_gui.moc"
