// Test plans: the parser over a table of good and bad plans, and the runner end to end against
// the simulated instrument (its battery has a capacity and an internal resistance).

#include "acquire/instrument_core.h"
#include "acquire/plan_runner.h"
#include "acquire/test_plan.h"
#include "protocol/codes.h"
#include "record/journal.h"
#include "settings/settings_file.h"
#include "sim/demo_option.h"
#include "sim/simulated_bus.h"
#include "tests/support/temp_workdir.h"
#include "usb/device_link.h"
#include "usb/hid_seam.h"
#include "usb/scan_pacer.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using plan::Watch;

class TestTestPlan : public QObject
{
    Q_OBJECT
private slots:
    void goodPlans_data();
    void goodPlans();
    void badPlans_data();
    void badPlans();
    void runs_data();
    void runs();
};

void TestTestPlan::goodPlans_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("mode");      // of the first step; -1: a rest
    QTest::addColumn<double>("setPoint");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("watch");     // -1: no limit
    QTest::addColumn<double>("limit");

    const int cc = proto::ModeConstantCurrent;
    QTest::newRow("amps, seconds") << "Discharge at 0.5 A for 10 seconds" << 1 << cc << 0.5 << 10.0
                                   << -1 << 0.0;
    QTest::newRow("milliamps until volts") << "discharge AT 500 mA until 3.0 V" << 1 << cc << 0.5
                                           << 0.0 << int(Watch::VoltageBelow) << 3.0;
    QTest::newRow("watts, minutes or volts")
        << "Discharge at 5 W for 30 minutes or until 3.2 V" << 1 << int(proto::ModeConstantPower)
        << 5.0 << 1800.0 << int(Watch::VoltageBelow) << 3.2;
    QTest::newRow("ohms until amp-hours") << "Discharge at 10 ohm until 1.5 Ah" << 1
                                          << int(proto::ModeConstantResistance) << 10.0 << 0.0
                                          << int(Watch::CapacityAbove) << 1500.0;
    QTest::newRow("Ω until watt-hours") << "Discharge at 4.7Ω until 2 Wh" << 1
                                        << int(proto::ModeConstantResistance) << 4.7 << 0.0
                                        << int(Watch::EnergyAbove) << 2.0;
    QTest::newRow("hold until amps") << "Hold at 3.3 V until 0.05 A" << 1
                                     << int(proto::ModeConstantVoltage) << 3.3 << 0.0
                                     << int(Watch::CurrentBelow) << 0.05;
    QTest::newRow("rest, hours, comment") << "# night\nRest for 2 h # cool down\n" << 1 << -1
                                          << 0.0 << 7200.0 << -1 << 0.0;
    QTest::newRow("until a temperature") << "Discharge at 3 A until 45 °C" << 1 << cc << 3.0 << 0.0
                                         << int(Watch::TemperatureAbove) << 45.0;
    QTest::newRow("repeat laid out, stop lines apart")
        << "Stop when voltage below 2.8 V or temperature above 60 °C\n"
           "Repeat 3 times:\n    Discharge at 2 A for 1 minute\n\tRest for 1 minute\n"
           "Discharge at 1 A until 3.0 V"
        << 7 << cc << 2.0 << 60.0 << -1 << 0.0;
}

void TestTestPlan::goodPlans()
{
    QFETCH(QString, text);
    plan::Plan plan;
    QString error;
    QVERIFY2(plan::parsePlan(text, &plan, &error), qPrintable(error));
    QTEST(int(plan.steps.size()), "steps");
    const plan::Step &first = plan.steps.first();
    QTEST(first.kind == plan::Step::Kind::Rest ? -1 : int(first.mode), "mode");
    QTEST(first.setPoint, "setPoint");
    QTEST(first.seconds, "seconds");
    QTEST(first.hasLimit ? int(first.limit.watch) : -1, "watch");
    if (first.hasLimit)
        QTEST(first.limit.value, "limit");
}

void TestTestPlan::badPlans_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("no end") << "Discharge at 1 A" << "line 1: expected \"for DURATION\"";
    QTest::newRow("unknown word") << "Rest for 1 s\nCharge at 1 A for 1 s" << "line 2: unknown step";
    QTest::newRow("unknown unit") << "Discharge at 1 V for 1 s" << "line 1: unknown step";
    QTest::newRow("hold until volts") << "Hold at 3.3 V until 3 V" << "line 1: a hold ends on";
    QTest::newRow("discharge until amps") << "Discharge at 1 A until 0.1 A" << "line 1: a step ends on";
    QTest::newRow("zero set-point") << "Discharge at 0 A for 1 s" << "line 1: the set-point must";
    QTest::newRow("zero time") << "Rest for 0 s" << "line 1: a duration must be above zero";
    QTest::newRow("same two currents") << "Measure resistance at 1 A for 1 s then 1 A for 1 s"
                                       << "line 1: the two currents must differ";
    QTest::newRow("empty repeat") << "Repeat 2 times:\nRest for 1 s" << "line 1: the repeat has no";
    QTest::newRow("stray indent") << "Rest for 1 s\n  Rest for 1 s" << "line 2: an indented line";
    QTest::newRow("nested repeat") << "Repeat 2 times:\n  Repeat 2 times:"
                                   << "line 2: a repeat cannot hold";
    QTest::newRow("stop unit") << "Stop when voltage below 3 A\nRest for 1 s"
                               << "line 1: the unit does not fit";
    QTest::newRow("only comments") << "# nothing\n\n" << "the plan has no steps";
}

void TestTestPlan::badPlans()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    plan::Plan plan;
    QString error;
    QVERIFY(!plan::parsePlan(text, &plan, &error));
    QVERIFY2(error.startsWith(message), qPrintable(error));
}

void TestTestPlan::runs_data()
{
    QTest::addColumn<QString>("demo");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QStringList>("reasons"); // the steps', in order; a prefix of each
    QTest::addColumn<double>("resistance");   // mΩ of the first step, 0: none

    QTest::newRow("by time, capacity and voltage")
        << "HK07;speed=20;capacity=300"
        << "Discharge at 0.5 A for 2 s\nRest for 1 s\nDischarge at 1 A until 5 mAh\n"
           "Discharge at 2 A until 3.7 V"
        << "completed" << QStringList{"time", "time", "capacity", "voltage"} << 0.0;
    QTest::newRow("a stop-when limit") << "HK07;speed=20;capacity=300"
                                       << "Stop when voltage below 3.7 V\nDischarge at 2 A for 1 h"
                                       << "limit" << QStringList{"stop when: voltage"} << 0.0;
    for (const double ohms : {0.05, 0.2, 1.0})
        QTest::newRow(qPrintable(QString("resistance %1 ohm").arg(ohms)))
            << QString("HK07;ri=%1").arg(ohms)
            << "Measure resistance at 0.2 A for 5 s then 1 A for 3 s\nRest for 3 s" << "completed"
            << QStringList{"time", "time"} << ohms * 1000;
}

// The runner against the simulated instrument: each step ends for its own reason, the load is
// off at the end, the run's data file and its results file are written side by side.
void TestTestPlan::runs()
{
    QFETCH(QString, demo);
    QFETCH(QString, text);
    QFETCH(QString, outcome);
    QFETCH(QStringList, reasons);
    QFETCH(double, resistance);

    TempWorkDir workDir;
    qputenv("XDG_DATA_HOME", QFile::encodeName(workDir.file("xdg-data")));
    SettingsFile().write("save_path", workDir.file("Data"));
    sim::BusConfig config;
    QString error;
    QVERIFY(sim::parseDemoOption(demo, config, &error));
    config.replyLatencyMs = 1;
    sim::SimulatedBus bus(config);
    hid::setBackend(&bus);
    ScanPacer::setPacing(60, 25);
    plan::Plan plan;
    QVERIFY(plan::parsePlan(text, &plan, &error));
    {
        acquire::InstrumentCore core;
        acquire::PlanRunner &runner = core.plans();
        QSignalSpy identified(&core, &acquire::InstrumentCore::identified);
        QSignalSpy steps(&runner, &acquire::PlanRunner::stepEnded);
        QSignalSpy finished(&runner, &acquire::PlanRunner::finished);
        core.recoverEarlierRuns();
        core.start();
        QVERIFY(identified.wait(5000));
        QVERIFY2(runner.start(plan, &error), qPrintable(error));
        QVERIFY(finished.wait(60000));

        const QJsonObject result = finished.first().first().toJsonObject();
        QCOMPARE(result.value("outcome").toString(), outcome);
        QCOMPARE(steps.size(), reasons.size());
        for (int i = 0; i < reasons.size(); ++i) {
            const QJsonObject step = steps[i].first().toJsonObject();
            QVERIFY2(step.value("reason").toString().startsWith(reasons[i]),
                     qPrintable(step.value("reason").toString()));
            if (step.contains("resistance_mOhm") || (i == 0 && resistance > 0)) {
                const double measured = step.value("resistance_mOhm").toDouble();
                QVERIFY2(qAbs(measured - resistance) <= resistance * 0.1,
                         qPrintable(QString::number(measured)));
            }
        }
        // The last frame the program sent switched the load off.
        const QVector<QByteArray> written = bus.writtenReports();
        QByteArray lastRun;
        for (const QByteArray &r : written)
            if (r.size() > 4 && quint8(r[3]) == proto::CmdRunStop)
                lastRun = r;
        QCOMPARE(quint8(lastRun[4]), quint8(proto::kRunStop));

        const QString data = result.value("data_file").toString();
        QVERIFY2(QFile::exists(data), qPrintable(data));
        QFile results(result.value("results_file").toString());
        QCOMPARE(QFileInfo(results).completeBaseName(), QFileInfo(data).completeBaseName() + ".plan");
        QVERIFY(results.open(QIODevice::ReadOnly));
        const QJsonObject saved = QJsonDocument::fromJson(results.readAll()).object();
        QCOMPARE(saved.value("plan").toString(), text);
        QCOMPARE(saved.value("steps").toArray().size(), reasons.size());
        core.stopWorkers();
    }
    hid::setBackend(nullptr);
}

QTEST_MAIN(TestTestPlan)
#include "tst_test_plan.moc"
