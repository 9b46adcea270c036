// The lab link from the main dialog, against the simulated instrument and a real broker: the
// published readings are the instrument's reported values, a run's start and stop arrive as run
// events, and the settings dialog (from the title bar menu) tests a connection and starts the link.

#include "../unit/lablink/broker_fixture.h"
#include "tests/gui/gui_fixture.h"
#include "lablink/lab_link_dialog.h"
#include "app/lab_link_wiring.h"
#include "lablink/link_settings.h"
#include "lablink/payloads.h"
#include "lablink/publisher.h"
#include "record/recorder.h"
#include "settings/settings_file.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

using namespace lablink;

namespace {

const char *const kKeys[] = {"voltage",  "current",  "power",      "resistance", "energy",
                             "capacity", "cpu_temp", "probe_temp", "mos_temp",   "fan_speed"};

proto::SampleValues valuesOf(const QByteArray &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    proto::SampleValues values{};
    for (int i = 0; i < int(values.size()); ++i)
        values[size_t(i)] = float(object.value(kKeys[i]).toObject().value("value").toDouble());
    return values;
}

} // namespace

class TestLabLinkGui : public QObject
{
    Q_OBJECT
private slots:
    void readingsAndRunOfTheSimulatedInstrument();
    void settingsDialogTestsAndStarts();
};

void TestLabLinkGui::readingsAndRunOfTheSimulatedInstrument()
{
    Broker broker;
    QVERIFY(broker.start());
    Subscriber sub(broker.port(), "gui/#");
    QVERIFY(sub.waitReady());
    GuiFixture f;
    SettingsFile().write("save_path", f.workDir.file("Data"));
    MainDialog &dialog = f.open();
    QVERIFY(f.waitForScanEnd());
    // Every set of values the instrument reported, to find each published reading among them.
    QVector<proto::SampleValues> reported;
    // As the link rounds them.
    connect(&dialog.link(), &DeviceLink::reportsApplied, [&] {
        proto::SampleValues values = sampleValuesOf(dialog.link().live());
        for (int i = 0; i < proto::kQuantityCount; ++i)
            values[size_t(i)] =
                float(linkValue(proto::Quantity(i), proto::Hk07Family, values[size_t(i)]));
        reported.append(values);
    });
    LinkSettings settings;
    settings.enabled = true;
    settings.host = "127.0.0.1";
    settings.port = broker.port();
    settings.prefix = "gui";
    dialog.labLink().start(settings);
    QTRY_VERIFY_WITH_TIMEOUT(dialog.labLink().publisher().isConnected(), 10000);
    QTRY_VERIFY(f.text("label_left_tips").contains(QString::number(broker.port())));

    const QString identity = dialog.link().serialString().isEmpty()
                                 ? dialog.link().modelWord() + "-addr1"
                                 : dialog.link().serialString() + "-1";
    const QString base = "gui/" + identity;
    f.click("tbtn3");
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.link().state().deviceRunning, 10000);
    QTest::qWait(2200); // connected and idle: readings, but no run event yet
    QCOMPARE(sub.payloadsOn(base + "/run").size(), 0);
    const QList<QByteArray> idle = sub.payloadsOn(base + "/reading");
    QVERIFY(!idle.isEmpty());
    const QJsonObject resting = QJsonDocument::fromJson(idle.last()).object();
    QVERIFY(!resting.value("load_on").toBool() && !resting.value("recording").toBool());
    f.click("disp_Btn_Run");
    QTRY_VERIFY_WITH_TIMEOUT(dialog.link().state().deviceRunning, 10000);
    const int before = sub.payloadsOn(base + "/reading").size();
    // Enough samples for the stop to save a data file.
    QTRY_VERIFY_WITH_TIMEOUT(dialog.recorder().rowCount() >= 11, 30000);
    QVERIFY(sub.payloadsOn(base + "/reading").size() >= before + 8);
    f.click("disp_Btn_Run");
    const auto events = [&] {
        QStringList names;
        for (const QByteArray &run : sub.payloadsOn(base + "/run"))
            names << QJsonDocument::fromJson(run).object().value("event").toString();
        return names;
    };
    QTRY_COMPARE_WITH_TIMEOUT(events().size(), 3, 10000);
    QTest::qWait(1200); // a second stop would come with the next ticks
    QCOMPARE(events(), QStringList({"started", "stopped", "saved"}));
    const QString path = QJsonDocument::fromJson(sub.payloadsOn(base + "/run").last())
                             .object()
                             .value("path")
                             .toString();
    QVERIFY2(path.endsWith(".csv") && QFile::exists(path), qPrintable(path));
    const QList<QByteArray> readings = sub.payloadsOn(base + "/reading");
    bool sawRunning = false;
    for (const QByteArray &json : readings) {
        QVERIFY2(reported.contains(valuesOf(json)), json.constData());
        QVERIFY(
            QDateTime::fromString(QJsonDocument::fromJson(json).object().value("time").toString(),
                                  Qt::ISODateWithMs)
                .isValid());
        sawRunning = sawRunning || QJsonDocument::fromJson(json).object().value("load_on").toBool();
    }
    QVERIFY(sawRunning);
    QVERIFY(valuesOf(readings.last())[0] > 0); // the simulated source's voltage
    QCOMPARE(retainedMessage(broker.port(), base + "/status"), QByteArray("online"));
}

void TestLabLinkGui::settingsDialogTestsAndStarts()
{
    Broker broker;
    QVERIFY(broker.start());
    GuiFixture f;
    MainDialog &dialog = f.open();
    QVERIFY(!dialog.labLink().publisher().isStarted()); // off by default
    QVERIFY(f.waitForScanEnd());

    // A broker nobody answers for: the status line says so, not only the log, in the language shown.
    LinkSettings refused;
    refused.enabled = true;
    refused.host = "127.0.0.1";
    refused.port = freePort();
    dialog.labLink().start(refused);
    QTRY_VERIFY_WITH_TIMEOUT(f.text("label_left_tips").contains("连接被拒绝"), 10000);
    dialog.labLink().start(LinkSettings{}); // off again

    // The test button reports the broker's answer in words.
    {
        LabLinkDialog settings(loadLinkSettings());
        settings.show();
        auto *host = settings.findChild<QLineEdit *>("lablink_host");
        auto *port = settings.findChild<QSpinBox *>("lablink_port");
        auto *result = settings.findChild<QLabel *>("lablink_test_result");
        auto *test = settings.findChild<QPushButton *>("lablink_test");
        host->setText("127.0.0.1");
        port->setValue(freePort());
        const QRect button = test->geometry();
        test->click();
        QTRY_COMPARE_WITH_TIMEOUT(result->text(), QString("连接失败: 连接被拒绝"), 10000);
        QCOMPARE(test->geometry(), button); // the result does not move the button
        port->setValue(broker.port());
        test->click();
        QTRY_COMPARE_WITH_TIMEOUT(result->text(), QString("连接成功"), 10000);
        QCOMPARE(test->geometry(), button);
    }

    // From the title bar menu: fill in the broker, OK; the link starts and the file keeps it.
    bool filled = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        auto *open = qobject_cast<LabLinkDialog *>(QApplication::activeModalWidget());
        if (!open || filled)
            return;
        filled = true;
        open->findChild<QCheckBox *>("lablink_enabled")->setChecked(true);
        open->findChild<QLineEdit *>("lablink_host")->setText("127.0.0.1");
        open->findChild<QSpinBox *>("lablink_port")->setValue(broker.port());
        open->findChild<QLineEdit *>("lablink_password")->setText("secret-word");
        open->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    poll.start(50);
    f.click("btnMenu_Menu");
    QMenu *menu = nullptr;
    QTRY_VERIFY((menu = dialog.findChild<QMenu *>("language_menu")) != nullptr);
    menu->findChild<QAction *>("lablink_action")->trigger();
    QVERIFY(filled);
    QTRY_VERIFY_WITH_TIMEOUT(dialog.labLink().publisher().isConnected(), 10000);
    const LinkSettings saved = loadLinkSettings();
    QVERIFY(saved.enabled);
    QCOMPARE(saved.port, broker.port());
    QCOMPARE(saved.password, QString("secret-word"));
    QCOMPARE(QFile::permissions(SettingsFile::filePath()) & 0x0077, QFile::Permissions());
}

QTEST_MAIN(TestLabLinkGui)
#include "tst_lablink_gui.moc"
