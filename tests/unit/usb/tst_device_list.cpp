// The device list item and the bus-scan pacing thread.

#include "ui/device_info_ui.h"
#include "usb/scan_pacer.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

using ui::DeviceInfoUI;

namespace {

// Answers DeviceInfoUI's texts in English and remembers every source text it was asked for.
class RecordingTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        Q_UNUSED(disambiguation)
        Q_UNUSED(n)
        if (qstrcmp(context, "DeviceInfoUI") != 0)
            return QString();
        const QString source = QString::fromUtf8(sourceText);
        asked.insert(source);
        return english.value(source);
    }
    bool isEmpty() const override { return false; }

    QHash<QString, QString> english{{"型号", "Model"},
                                    {"序列号", "SN"},
                                    {"模拟器", "Simulator"},
                                    {"点击图标添加设备", "Click to add device"},
                                    {"点击图标移出设备", "Clickto remove device"},
                                    {"空闲", "Idle"},
                                    {"连接", "Connect"},
                                    {"错误", "Error"},
                                    {"Form", "Form"},
                                    {"[none]", "[none]"},
                                    {"none", "none"}};
    mutable QSet<QString> asked;
};

// Lives on the test's thread, so the scan thread's signals arrive queued, as in the program.
class ScanRecorder : public QObject
{
public:
    explicit ScanRecorder(ScanPacer *scan)
    {
        connect(scan, &ScanPacer::probeDue, this,
                [this](qint16 addr) { events << QStringLiteral("send %1").arg(addr); });
        connect(scan, &ScanPacer::replyDue, this,
                [this] { events << QStringLiteral("recv"); });
        connect(scan, &ScanPacer::scanDone, this,
                [this] { events << QStringLiteral("show"); });
    }
    QStringList events;
};

QStringList expectedScan()
{
    QStringList events;
    for (int addr = 1; addr <= 10; ++addr)
        events << QStringLiteral("send %1").arg(addr) << QStringLiteral("recv");
    events << QStringLiteral("show");
    return events;
}

} // namespace

class TestDeviceList : public QObject
{
    Q_OBJECT

private:
    static QLabel *label(DeviceInfoUI &item, const char *name)
    {
        auto *found = item.findChild<QLabel *>(QLatin1String(name));
        if (!found)
            qFatal("label %s missing from the form", name);
        return found;
    }
    static QPushButton *tick(DeviceInfoUI &item)
    {
        auto *button = item.findChild<QPushButton *>(QStringLiteral("btn_Tick"));
        if (!button)
            qFatal("btn_Tick missing from the form");
        return button;
    }
    static QString stripStyle(DeviceInfoUI &item)
    {
        return item.findChild<QWidget *>(QStringLiteral("widget_background"))->styleSheet();
    }

private slots:
    void initTestCase() { ScanPacer::setPacing(0, 1); }

    void freshItemShowsPlaceholders()
    {
        DeviceInfoUI item;
        QCOMPARE(int(item.state()), 0);
        QVERIFY(!item.isTicked());
        QCOMPARE(label(item, "label_model_value")->text(), QStringLiteral("模拟器"));
        QCOMPARE(label(item, "label_model")->text(), QStringLiteral("型号"));
        QCOMPARE(label(item, "label_serialnum")->text(), QStringLiteral("序列号"));
        for (const char *name : {"label_serial_value", "label_type_value", "label_index_value",
                                 "label_version_value", "label_connect_type"}) {
            const QString text = label(item, name)->text();
            QVERIFY2(text == "[none]" || text == "none", name);
        }
        QCOMPARE(tick(item)->toolTip(), QStringLiteral("点击图标添加设备"));
        QVERIFY(tick(item)->styleSheet().contains(":/sys/rs/rs/img/UnTick.png"));
        QCOMPARE(stripStyle(item),
                 QStringLiteral("background-color: rgb(54, 131, 59);border-radius:4px;"));
    }

    void setState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("colour");
        QTest::newRow("idle") << 0 << "空闲"
                              << "rgb(156, 156, 0)";
        QTest::newRow("error") << 1 << "错误"
                               << "rgb(68, 68, 68)";
        QTest::newRow("connected") << 2 << "连接"
                                   << "rgb(16, 157, 56)";
    }
    void setState()
    {
        QFETCH(int, state);
        QFETCH(QString, text);
        QFETCH(QString, colour);
        DeviceInfoUI item;
        // Start from a different state so that a no-op setState cannot pass.
        item.setState(state == 2 ? 1 : 2);
        item.setState(quint8(state));
        QCOMPARE(int(item.state()), state);
        QCOMPARE(label(item, "label_connect_type")->text(), text);
        QCOMPARE(stripStyle(item), QStringLiteral("background-color: %1;").arg(colour));

        // Values outside 0..2 change nothing at all.
        for (int bogus : {3, 7, 255}) {
            item.setState(quint8(bogus));
            QCOMPARE(int(item.state()), state);
            QCOMPARE(label(item, "label_connect_type")->text(), text);
        }
    }

    void clickingTheTickTogglesAndSignals()
    {
        DeviceInfoUI item;
        QSignalSpy spy(&item, &DeviceInfoUI::TickShow_Signal);
        item.show();

        QTest::mouseClick(tick(item), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<DeviceInfoUI *>(), &item);
        QVERIFY(item.isTicked());
        QCOMPARE(tick(item)->toolTip(), QStringLiteral("点击图标移出设备"));
        QVERIFY(tick(item)->styleSheet().contains(":/sys/rs/rs/img/Tick.png"));

        QTest::mouseClick(tick(item), Qt::LeftButton);
        QCOMPARE(spy.count(), 2);
        QVERIFY(!item.isTicked());
        QCOMPARE(tick(item)->toolTip(), QStringLiteral("点击图标添加设备"));
        QVERIFY(tick(item)->styleSheet().contains(":/sys/rs/rs/img/UnTick.png"));
    }

    void releaseOnTheItemActsLikeTheButton()
    {
        DeviceInfoUI item;
        QSignalSpy spy(&item, &DeviceInfoUI::TickShow_Signal);
        item.show();
        QVERIFY(QTest::qWaitForWindowExposed(&item));

        // A click on a caption (labels pass mouse events on to the item).
        QLabel *caption = label(item, "label_serialnum");
        QTest::mouseClick(caption, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QVERIFY(item.isTicked());

        // A click on the button is the button's alone: one toggle, not two.
        QTest::mouseClick(tick(item), Qt::LeftButton);
        QCOMPARE(spy.count(), 2);
        QVERIFY(!item.isTicked());
    }

    void settersFillTheLabels()
    {
        DeviceInfoUI item;
        item.setModel("NV05");
        item.setVersion("V1.0.8");
        item.setManufacturer("TALMIR");
        item.setIndexText("主:3");
        item.setSerial("A1B2C3D4E5");
        QCOMPARE(label(item, "label_model_value")->text(), QStringLiteral("NV05"));
        QCOMPARE(label(item, "label_version_value")->text(), QStringLiteral("V1.0.8"));
        QCOMPARE(label(item, "label_type_value")->text(), QStringLiteral("TALMIR"));
        QCOMPARE(label(item, "label_index_value")->text(), QStringLiteral("主:3"));
        QCOMPARE(label(item, "label_serial_value")->text(), QStringLiteral("A1B2C3"));
        // The whole serial is on the label's tool tip: serials that begin alike stay apart.
        QCOMPARE(label(item, "label_serial_value")->toolTip(), QStringLiteral("A1B2C3D4E5"));

        // A product string without a third word keeps the version shown.
        item.setVersion(QString());
        QCOMPARE(label(item, "label_version_value")->text(), QStringLiteral("V1.0.8"));
        item.setSerial("AB");
        QCOMPARE(label(item, "label_serial_value")->text(), QStringLiteral("AB"));
    }

    void languageChangeRetranslatesTheForm()
    {
        DeviceInfoUI item;
        item.setModel("HK07");
        item.setSerial("123456");
        item.setState(2);
        item.markTicked();
        item.markUnticked();
        item.setState(0);
        item.setState(1);
        item.markTicked();

        RecordingTranslator english;
        QVERIFY(QCoreApplication::installTranslator(&english));
        QCoreApplication::processEvents();

        QCOMPARE(label(item, "label_model")->text(), QStringLiteral("Model"));
        QCOMPARE(label(item, "label_serialnum")->text(), QStringLiteral("SN"));
        // What the scan filled in and the item's state survive, in the new language.
        QCOMPARE(label(item, "label_model_value")->text(), QStringLiteral("HK07"));
        QCOMPARE(label(item, "label_serial_value")->text(), QStringLiteral("123456"));
        QCOMPARE(label(item, "label_connect_type")->text(), QStringLiteral("Error"));
        QCOMPARE(tick(item)->toolTip(), QStringLiteral("Clickto remove device"));
        QCOMPARE(label(item, "label_index_value")->text(), QStringLiteral("[none]")); // never set
        QVERIFY(item.isTicked());

        item.setState(2);
        QCOMPARE(label(item, "label_connect_type")->text(), QStringLiteral("Connect"));
        item.markTicked();
        QCOMPARE(tick(item)->toolTip(), QStringLiteral("Clickto remove device"));

        QCoreApplication::removeTranslator(&english);
        QCoreApplication::processEvents();
        QCOMPARE(label(item, "label_model")->text(), QStringLiteral("型号"));
        QCOMPARE(label(item, "label_connect_type")->text(), QStringLiteral("连接"));

        // Every text the item looks up is one the English catalogue has.
        for (const QString &source : english.asked)
            QVERIFY2(english.english.contains(source), qPrintable(source));
        QVERIFY(english.asked.contains("点击图标添加设备"));
    }

    void scanSignalsInOrder()
    {
        ScanPacer scan;
        ScanRecorder recorder(&scan);
        scan.start();
        QTRY_VERIFY(scan.isFinished());
        QTRY_COMPARE(recorder.events.size(), 21);
        QCOMPARE(recorder.events, expectedScan());

        // The same thread object runs the next scan the same way.
        recorder.events.clear();
        scan.start();
        QTRY_VERIFY(scan.isFinished());
        QTRY_COMPARE(recorder.events.size(), 21);
        QCOMPARE(recorder.events, expectedScan());
    }

    void scanHonoursItsPacing()
    {
        ScanPacer::setPacing(60, 6);
        ScanPacer scan;
        ScanRecorder recorder(&scan);
        QElapsedTimer clock;
        clock.start();
        scan.start();
        QTRY_COMPARE(recorder.events.size(), 21);
        // 60 ms before the first request and 10 steps of 6 ms.
        QVERIFY2(clock.elapsed() >= 115, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(scan.wait(1000));
        ScanPacer::setPacing(0, 1);
    }
};

QTEST_MAIN(TestDeviceList)
#include "tst_device_list.moc"
