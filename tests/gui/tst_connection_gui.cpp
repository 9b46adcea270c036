// The instrument connects: watcher, open, bus scan, device list, poll cycle and live display,
// driven through the real main dialog against the simulated instrument.

#include "tests/gui/gui_fixture.h"

#include "protocol/codes.h"
#include "ui/device_info_ui.h"
#include "protocol/frames.h"
#include "protocol/vocabulary.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>

#include <atomic>

namespace {
// An instrument that is on the bus but whose node this user may not open.
class LockedBackend : public hid::Backend
{
public:
    QVector<hid::DeviceInfo> enumerate(uint16_t vid, uint16_t pid) override
    {
        hid::DeviceInfo info;
        info.path = "/dev/hidraw7";
        info.vendorId = vid;
        info.productId = pid;
        return {info};
    }
    std::unique_ptr<hid::Device> open(uint16_t, uint16_t, const QString &) override
    {
        ++opens;
        return nullptr;
    }
    QString lastOpenError() const override { return "permission denied on /dev/hidraw7"; }
    bool lastOpenDeniedPermission() const override { return true; }
    std::atomic<int> opens{0};
};
} // namespace

class TestConnectionGui : public QObject
{
    Q_OBJECT
private slots:
    void noInstrumentWritesAndReadsNothing()
    {
        GuiFixture f(QString(), /*plugged=*/false);
        MainDialog &d = f.open();
        QTest::qWait(1600); // three poll ticks and three read ticks
        QVERIFY(!d.link().deviceOpen());
        QVERIFY(d.link().tickCounter() >= 2); // the poll cycle runs, but sends nothing
        QVERIFY(f.bus->writtenReports().isEmpty());
        QCOMPARE(f.page(), 8);
        QCOMPARE(f.text("disp_label_VOL"), QString("0000.00")); // the read step did nothing
    }

    void permissionProblemIsExplained()
    {
        GuiFixture f(QString(), false);
        LockedBackend locked;
        hid::setBackend(&locked);
        MainDialog &d = f.open();
        QVERIFY(!d.link().deviceOpen());
        QCOMPARE(f.page(), 8);
        const QString hint = f.text("Start_label_permission");
        QVERIFY2(hint.contains("udev") && hint.contains("/dev/hidraw7"), qPrintable(hint));
        QTRY_VERIFY(locked.opens >= 2); // the watcher keeps trying
        f.chooseLanguage("language_english"); // a language switch keeps the hint
        QCOMPARE(f.text("Start_label_permission"), hint);
        QCOMPARE(f.text("Tips_label"), QString("Please connect the HID to the computer!"));
        f.chooseLanguage("language_chinese");
        hid::setBackend(f.bus.get()); // access granted: the instrument opens
        f.bus->plug();
        QTRY_VERIFY_WITH_TIMEOUT(d.link().deviceOpen(), 3000);
        QVERIFY(f.text("Start_label_permission").isEmpty());
        f.chooseLanguage("language_english"); // and the hint stays gone
        QVERIFY(f.text("Start_label_permission").isEmpty());
        f.chooseLanguage("language_chinese");
        f.dialog.reset();
    }

    void plugInFindsScansAndShowsLiveValues()
    {
        GuiFixture f(QString(), false);
        MainDialog &d = f.open();
        QTest::qWait(300);
        f.bus->plug();
        QTRY_VERIFY_WITH_TIMEOUT(d.link().deviceOpen(), 3000);
        QVERIFY(f.waitForScanEnd());
        QCOMPARE(f.page(), 0);
        QCOMPARE(d.familyCode(), quint8(1));
        QCOMPARE(d.deviceList().size(), 1);
        ui::DeviceInfoUI *item = d.deviceList().first().first;
        QCOMPARE(d.deviceList().first().second, quint8(1));
        QVERIFY(item->isTicked());
        QCOMPARE(item->state(), quint8(2));
        QCOMPARE(item->findChild<QLabel *>("label_index_value")->text(), QString("主:1"));
        QCOMPARE(f.text("disp_labDeviceTitle"), QString(" | HK07 1"));
        // Ten address requests went out, for 1..10.
        const auto probes = f.framesWithCode(0x04);
        QCOMPARE(probes.size(), 10);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(int(quint8(probes[i][2])), i + 1);

        // Live values arrive in their formats: voltage 7/2, current 7/3, capacity 6/0.
        const QRegularExpression volts("^\\d{4}\\.\\d{2}$"), amps("^-?\\d{3}\\.\\d{3}$");
        QTRY_VERIFY_WITH_TIMEOUT(f.text("disp_label_VOL") != "0000.00", 4000);
        QVERIFY2(volts.match(f.text("disp_label_VOL")).hasMatch(),
                 qPrintable(f.text("disp_label_VOL")));
        QVERIFY(amps.match(f.text("disp_label_CUR")).hasMatch());
        QVERIFY(QRegularExpression("^\\d{6}$").match(f.text("disp_label_CAP")).hasMatch());
        QCOMPARE(f.text("disp_label_mAh"), QString("mAh"));
        const double shown = f.text("disp_label_VOL").toDouble();
        const double actual = f.bus->readings(1)->voltage;
        QVERIFY2(qAbs(shown - actual) < 0.1,
                 qPrintable(QString("%1 vs %2").arg(shown).arg(actual)));
        f.click("tbtn2"); // the settings page shows the same reading
        QCOMPARE(f.text("settings_lab_voltvalue"), f.text("disp_label_VOL"));
    }

    // The start page says what is going on until an instrument is identified, and a scan that
    // nobody answers shows no instrument.
    void startPageFollowsTheScan_data()
    {
        QTest::addColumn<bool>("answering");
        QTest::newRow("instrument answers") << true;
        QTest::newRow("nothing answers") << false;
    }
    void startPageFollowsTheScan()
    {
        QFETCH(bool, answering);
        GuiFixture f;
        ScanPacer::setPacing(400, 25);
        sim::SimulatedBus::Faults faults;
        faults.lostReplyRate = answering ? 0 : 1;
        f.bus->setFaults(faults);
        MainDialog &d = f.open();
        QVERIFY(d.link().scanBusy());
        QCOMPARE(f.page(), 8);
        QVERIFY2(f.text("Tips_label").contains("正在扫描"), qPrintable(f.text("Tips_label")));
        QTRY_VERIFY_WITH_TIMEOUT(!d.link().scanBusy(), 4000);
        auto *tree = f.w<QTreeWidget>("device_treeWidget");
        if (answering) {
            QCOMPARE(d.deviceList().size(), 1);
            QCOMPARE(tree->topLevelItemCount(), 1);
            QCOMPARE(f.page(), 0);
            return;
        }
        QVERIFY(d.deviceList().isEmpty());
        QCOMPARE(tree->topLevelItemCount(), 0); // no card, let alone a connected one
        QVERIFY(f.dialog->findChildren<ui::DeviceInfoUI *>().isEmpty());
        const QString tips = f.text("Tips_label");
        QVERIFY2(tips.contains("没有仪表应答"), qPrintable(tips));
        // A language switch carries this run-time text into the other language and back.
        f.chooseLanguage("language_english");
        QVERIFY2(f.text("Tips_label").startsWith("Device found, but no instrument"),
                 qPrintable(f.text("Tips_label")));
        f.chooseLanguage("language_chinese");
        QCOMPARE(f.text("Tips_label"), tips);
    }

    // Return in a field is the field's: no default button starts a rescan.
    void returnInAFieldClicksNoButton()
    {
        GuiFixture f;
        MainDialog &d = f.open();
        QVERIFY(f.waitForScanEnd());
        for (QPushButton *b : d.findChildren<QPushButton *>())
            QVERIFY2(!b->isDefault(), qPrintable(b->objectName()));
        f.click("tbtn3");
        f.dialog->activateWindow();
        auto *field = f.w<QLineEdit>("lineEdit_value");
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Enter);
        QVERIFY(!d.link().scanBusy());
        QCOMPARE(d.deviceList().size(), 1);
        QCOMPARE(f.page(), 2);
    }

    void upgradePageShowsTheConnection()
    {
        GuiFixture f;
        MainDialog &d = f.open();
        QVERIFY(f.waitForScanEnd());
        f.click("tbtn1");
        QCOMPARE(f.page(), 1);
        auto *picture = f.w<QLabel>("upgrade_label_connect");
        QVERIFY2(picture->styleSheet().contains("usb_connect.png"),
                 qPrintable(picture->styleSheet()));
        f.click("upgrade_btnReturn");
        f.bus->unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!d.runActive(), 3000);
        QVERIFY(picture->styleSheet().contains("usb_disconnect.png"));
    }

    void nv05FamilyGoesToItsHomePage()
    {
        GuiFixture f("NV05");
        MainDialog &d = f.open();
        QVERIFY(f.waitForScanEnd());
        QCOMPARE(d.familyCode(), quint8(4));
        QCOMPARE(f.page(), 7);
        QTRY_COMPARE_WITH_TIMEOUT(f.text("disp_label_WH"), QString("KWh"), 4000);
        QCOMPARE(f.text("disp_label_mAh"), QString("Ah"));
    }

    void pollAlternatesAndPausesDuringScan()
    {
        GuiFixture f;
        MainDialog &d = f.open();
        QVERIFY(f.waitForScanEnd());
        f.bus->clearWrittenReports();
        const quint32 startTick = d.link().tickCounter();
        QTRY_VERIFY_WITH_TIMEOUT(d.link().tickCounter() >= startTick + 6, 5000);
        QVector<quint8> codes;
        for (const QByteArray &r : f.frames())
            if (quint8(r[3]) == 0x05 || quint8(r[3]) == 0x03) {
                QCOMPARE(quint8(r[4]), quint8(0x0B));
                QCOMPARE(quint8(r[6]), quint8(0x8C));
                QCOMPARE(quint8(r[7]), quint8(0xEE));
                codes.append(quint8(r[3]));
            }
        QVERIFY(codes.size() >= 5);
        for (int i = 1; i < codes.size(); ++i)
            QVERIFY(codes[i] != codes[i - 1]);

        // During a scan no poll request goes out; the first request after start-up is 0x05.
        f.bus->clearWrittenReports();
        ScanPacer::setPacing(1200, 30);
        d.core().scanBus();
        QTest::qWait(1100);
        QVERIFY(f.framesWithCode(0x05).isEmpty());
        QVERIFY(f.framesWithCode(0x03).isEmpty());
        QVERIFY(f.waitForScanEnd());
    }

    void firstPollAsksForMeasurement()
    {
        GuiFixture f;
        f.open();
        // The fixture's scan ends before the first 500 ms tick, so that tick's request goes out.
        auto polls = [&f] {
            QVector<quint8> codes;
            for (const QByteArray &r : f.frames())
                if (quint8(r[3]) == 0x05 || quint8(r[3]) == 0x03)
                    codes.append(quint8(r[3]));
            return codes;
        };
        QTRY_VERIFY_WITH_TIMEOUT(polls().size() >= 2, 3000);
        QCOMPARE(polls().mid(0, 2), (QVector<quint8>{0x05, 0x03}));
    }

    // Every visit to a settings page asks for one extra reply; the read step must not fall
    // behind by one report per visit.
    void extraRequestsDoNotDelayLiveValues()
    {
        GuiFixture f;
        MainDialog &d = f.open();
        QVERIFY(f.waitForScanEnd());
        auto *run = f.w<QPushButton>("disp_Btn_Run");
        QTRY_COMPARE_WITH_TIMEOUT(run->text(), QString("开始放电"), 3000);
        for (int visit = 0; visit < 20; ++visit) {
            f.click("tbtn2");
            QCOMPARE(f.page(), 3);
            f.click("settings_btnReturn");
        }
        const auto start =
            proto::byteCommand(d.link().currentAddress(), proto::CmdRunStop, proto::kRunStart);
        d.link().sendReport(start.data(), int(start.size()));
        // One measurement request a second, one read every 500 ms, one button refresh.
        QTRY_COMPARE_WITH_TIMEOUT(run->text(), QString("停止放电"), 3500); // ~10 s late before
    }

    // Each instrument on the bus is listed with its own address and model; choosing one talks
    // to its address and opens its family's pages; a double-click chooses, the tick taken away
    // leaves none.
    void everyInstrumentOnTheBusIsTheOneShown_data()
    {
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QStringList>("items"); // index text and model, the master first
        QTest::newRow("one model, two addresses")
            << "HK07:2,5" << QStringList{"主:2 HK07", "从:5 HK07"};
        QTest::newRow("two families")
            << "HK07:4,9+NV05:6" << QStringList{"主:4 HK07", "从:6 NV05", "从:9 HK07"};
        QTest::newRow("a meter as master")
            << "NV05:3+MR310:7" << QStringList{"主:3 NV05", "从:7 MR310"};
    }
    void everyInstrumentOnTheBusIsTheOneShown()
    {
        QFETCH(QString, demo);
        QFETCH(QStringList, items);
        GuiFixture f(demo);
        MainDialog &d = f.open();
        QVERIFY(f.waitForScanEnd());
        QCOMPARE(d.deviceList().size(), items.size());
        auto shown = [&](int i) {
            ui::DeviceInfoUI *item = d.deviceList()[i].first;
            return item->findChild<QLabel *>("label_index_value")->text() + " " +
                   item->findChild<QLabel *>("label_model_value")->text();
        };
        for (int i = 0; i < items.size(); ++i)
            QCOMPARE(shown(i), items[i]);

        auto expectChosen = [&](int i) {
            const QStringList words = items[i].split(QRegularExpression("[: ]"));
            const quint8 address = quint8(words[1].toInt());
            const QString model = words[2];
            QCOMPARE(d.link().currentAddress(), address);
            QCOMPARE(f.text("disp_labDeviceTitle"), " | " + model + " " + words[1]);
            QCOMPARE(d.link().modelWord(), model);
            const bool meter = model.startsWith("NV");
            QCOMPARE(f.page(), meter ? 7 : 0); // the home page of its own family
            QCOMPARE(d.link().familyCode(), quint8(meter ? proto::Nv05Family : proto::Hk07Family));
            f.bus->clearWrittenReports();
            QTRY_VERIFY_WITH_TIMEOUT(!f.frames().isEmpty(), 2000);
            QCOMPARE(quint8(f.frames().last()[2]), address);
        };
        expectChosen(0);
        for (int i = 1; i < items.size(); ++i) {
            ui::DeviceInfoUI *item = d.deviceList()[i].first;
            QTest::mouseClick(item->findChild<QPushButton *>("btn_Tick"), Qt::LeftButton);
            QVERIFY(item->isTicked());
            QCOMPARE(item->state(), quint8(2));
            QVERIFY(!d.deviceList()[0].first->isTicked());
            expectChosen(i);
        }
        // A double-click on the master's caption chooses it, whatever its first click did.
        ui::DeviceInfoUI *master = d.deviceList()[0].first;
        QTest::mouseDClick(master->findChild<QLabel *>("label_serialnum"), Qt::LeftButton);
        QVERIFY(master->isTicked());
        expectChosen(0);

        QTest::mouseClick(master->findChild<QPushButton *>("btn_Tick"), Qt::LeftButton);
        QCOMPARE(d.link().currentAddress(), quint8(0));
        QCOMPARE(f.text("disp_labDeviceTitle"), " | " + items[0].section(' ', 1) + " Null");
    }

    void unplugAndReplugTwentyTimes()
    {
        GuiFixture f;
        MainDialog &d = f.open();
        QVERIFY(f.waitForScanEnd());
        auto *run = f.w<QPushButton>("disp_Btn_Run");
        QVERIFY(d.runActive());
        // Opening shows the stop text; the refresh then shows the idle instrument's state.
        QTRY_COMPARE(run->text(), QString("开始放电"));
        for (int cycle = 0; cycle < 20; ++cycle) {
            f.bus->unplug();
            QTRY_VERIFY_WITH_TIMEOUT(!d.runActive(), 3000);
            QCOMPARE(d.deviceList().first().first->state(), quint8(1));
            QCOMPARE(run->toolTip(), QString("单击开始放电"));

            f.bus->plug();
            QTRY_VERIFY_WITH_TIMEOUT(d.runActive(), 3000);
            QVERIFY2(f.waitForScanEnd(), qPrintable(QString("cycle %1").arg(cycle)));
            // Live values come back on the new handle.
            f.w<QLabel>("disp_label_VOL")->setText("x");
            QTRY_VERIFY_WITH_TIMEOUT(f.text("disp_label_VOL") != "x", 3000);
        }
        QCOMPARE(d.deviceList().first().first->state(), quint8(2));
    }

    void hk09HidesFullChargeWidgets()
    {
        GuiFixture f("HK09");
        MainDialog &d = f.open();
        QVERIFY(f.waitForScanEnd());
        QVERIFY(d.link().state().hk09);
        QCOMPARE(d.familyCode(), quint8(1));
        for (const char *name :
             {"label_full_v", "lineEdit_value_full_v", "label_unit_full_v", "label_full_a",
              "label_full_a_less", "lineEdit_value_full_a", "label_unit_full_a"})
            QVERIFY2(f.w(name)->isHidden(), name);
        QVERIFY(!f.w("lineEdit_value_zero_v")->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(f.text("disp_label_CUR") != "0000.00", 4000);
        QVERIFY(f.text("disp_label_CUR").indexOf('-') < 0);
    }

    void focusedInputIsNotOverwritten()
    {
        GuiFixture f;
        f.open();
        QVERIFY(f.waitForScanEnd());
        auto *zero = f.w<QLineEdit>("lineEdit_value_zero_v");
        QTRY_VERIFY_WITH_TIMEOUT(zero->text() != "000.0", 4000); // a settings reply arrived
        const QString instrumentValue = zero->text();
        f.dialog->activateWindow();
        zero->setFocus();
        QTRY_VERIFY(zero->hasFocus());
        zero->setText("12.3");
        const quint32 tick = f.dialog->link().tickCounter();
        QTRY_VERIFY_WITH_TIMEOUT(f.dialog->link().tickCounter() >= tick + 5, 5000);
        QCOMPARE(zero->text(), QString("12.3"));
        zero->clearFocus();
        QTRY_COMPARE_WITH_TIMEOUT(zero->text(), instrumentValue, 3000);
    }
};

QTEST_MAIN(TestConnectionGui)
#include "tst_connection_gui.moc"
