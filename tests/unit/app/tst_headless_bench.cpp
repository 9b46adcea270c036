// The real program with --headless against the simulated instrument, as a child process: the
// runs the instrument starts and stops become data files, a signal mid-run saves the run and
// ends normally, and a killed bench leaves its last will on the lab link's broker.

#include "tests/unit/lablink/broker_fixture.h"
#include "tests/gui/data_file_rows.h"
#include "app/headless_bench.h"
#include "record/csv_format.h"
#include "record/journal.h"
#include "lablink/link_settings.h"
#include "sim/simulated_bus.h"
#include "tests/support/temp_workdir.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// Rows in the one journal of a running run below `folder`; 0 without exactly one.
qint64 journaledRows(const QString &folder)
{
    const QStringList journals = filesUnder(folder, "*.journal");
    JournalContent content;
    QString error;
    if (journals.size() != 1 || !readJournal(journals.first(), &content, &error))
        return 0;
    return content.rows.size();
}

// Runs are saved in "Data" in the working directory `dir`.
void writeSettings(const TempWorkDir &dir)
{
    QFile ini(dir.file("usb-hid.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[General]\nsave_path=" + dir.file("Data").toUtf8() + "\n");
}

// The bench in `dir`, its data folder "Data" there, its log read back from standard error.
class Bench
{
public:
    // fileBlocks > 0: a soft file size limit, in the shell's 512-byte blocks (a full disk).
    Bench(const TempWorkDir &dir, const QStringList &arguments, int fileBlocks = 0) : m_dir(dir)
    {
        writeSettings(dir);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dir.file("xdg-data"));
        env.insert("XDG_CONFIG_HOME", dir.file("xdg-config"));
        env.remove("DISPLAY"); // no window may be needed
        env.remove("QT_QPA_PLATFORM");
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(dir.path());
        const QString limited = QStringLiteral("ulimit -S -f %1 && exec \"$0\" \"$@\"");
        if (fileBlocks > 0)
            m_process.start("/bin/sh", QStringList{"-c", limited.arg(fileBlocks), USB_TESTER,
                                                   "--headless"} + arguments);
        else
            m_process.start(USB_TESTER, QStringList{"--headless"} + arguments);
    }
    ~Bench()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    QString log()
    {
        m_log += QString::fromUtf8(m_process.readAllStandardError());
        return m_log;
    }
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }
    QProcess &process() { return m_process; }
    QStringList dataFiles() const { return filesUnder(m_dir.file("Data"), "*.csv"); }

private:
    const TempWorkDir &m_dir;
    QProcess m_process;
    QString m_log;
};

} // namespace

class TestHeadlessBench : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules("*.debug=false"); }
    void runsFollowTheInstrument_data();
    void runsFollowTheInstrument();
    void lastWillWhenKilled();
    void unplugSavesAndReplugRecordsAgain();
    void fullDiskRunSavedOnceSpaceReturns();
    void summaryWithoutDisplay();
    void logLinesCarryPriorityForTheJournal();
    void planEndsWithItsOutcome_data();
    void planEndsWithItsOutcome();
};

// A file size limit stands for a full disk: the journal and the stop's save fail without ending
// the program (SIGXFSZ is ignored, so the write fails), and once the limit is lifted the journal
// catches up and the save goes through by itself, with every row of the run.
void TestHeadlessBench::fullDiskRunSavedOnceSpaceReturns()
{
    TempWorkDir dir;
    Bench bench(dir, {"--demo=HK07;run=1,14,2"}, 2);
    QVERIFY(bench.process().waitForStarted());
    QTRY_VERIFY2_WITH_TIMEOUT(bench.log().contains("run ended InstrumentStopped"),
                              qPrintable(bench.log()), 40000);
    QVERIFY2(bench.log().contains("run not saved"), qPrintable(bench.log()));
    QVERIFY(bench.dataFiles().isEmpty());
    QCOMPARE(bench.process().state(), QProcess::Running);

    const pid_t pid = pid_t(bench.process().processId());
    rlimit limit;
    QCOMPARE(prlimit(pid, RLIMIT_FSIZE, nullptr, &limit), 0);
    limit.rlim_cur = limit.rlim_max;
    QCOMPARE(prlimit(pid, RLIMIT_FSIZE, &limit, nullptr), 0);
    QTRY_VERIFY2_WITH_TIMEOUT(bench.log().contains("run saved on a retry"), qPrintable(bench.log()),
                              15000);
    const QStringList files = bench.dataFiles();
    QCOMPARE(files.size(), 1);
    const int rows = csvRows(files.first()).size();
    QVERIFY2(rows >= 12 && rows <= 16, qPrintable(QString::number(rows))); // the whole run
    QVERIFY(filesUnder(dir.file("xdg-data"), "*.journal").isEmpty());
    bench.signal(SIGTERM);
    QVERIFY(bench.process().waitForFinished(10000));
    QCOMPARE(bench.process().exitCode(), 0);
}

// --summary needs no display: lines on standard output, one line per bad file on standard error.
void TestHeadlessBench::summaryWithoutDisplay()
{
    TempWorkDir dir;
    std::string rows;
    csv::RowFormat format(proto::Hk07Family);
    for (int i = 0; i < 20; ++i)
        format.append(rows, QDateTime(QDate(2026, 1, 5), QTime(9, 0, i)).toMSecsSinceEpoch(), {4});
    QFile good(dir.file("good.csv")), bad(dir.file("bad.csv"));
    QVERIFY(good.open(QIODevice::WriteOnly) && bad.open(QIODevice::WriteOnly));
    good.write(csv::headerBlock(proto::Hk07Family) + QByteArray::fromStdString(rows));
    bad.write("not a data file\n");
    good.close();
    bad.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    p.setProcessEnvironment(env);
    p.start(USB_TESTER, {"--summary", good.fileName(), bad.fileName()});
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitCode(), 1);
    const QByteArray out = p.readAllStandardOutput(), err = p.readAllStandardError();
    QCOMPARE(out.count('\n'), 2);
    QVERIFY2(out.contains("\n" + good.fileName().toUtf8() + ",1,2026-01-05T09:00:00,19,20,"),
             out.constData());
    QCOMPARE(err.count('\n'), 1);
    QVERIFY2(err.contains("bad.csv, 第 1 行"), err.constData());
}

void TestHeadlessBench::planEndsWithItsOutcome_data()
{
    QTest::addColumn<QString>("demo");
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QString>("told"); // in the log or on standard error
    QTest::addColumn<bool>("signalMidPlan");
    QTest::newRow("a signal mid-plan") << "HK07" << "Discharge at 1 A for 1 h" << "plan step 1"
                                       << true;
    QTest::newRow("a meter refuses") << "NV05" << "Rest for 1 s" << "plan refused: " << false;
    QTest::newRow("a faulty plan") << "HK07" << "Rest for 1 s\nCharge at 1 A for 1 s"
                                   << "line 2: unknown step" << false;
}

// A plan that a fault, a refusal or a signal ends gives status 3; a signal switches the load off
// and ends the plan with its results beside the saved run.
void TestHeadlessBench::planEndsWithItsOutcome()
{
    QFETCH(QString, demo);
    QFETCH(QString, plan);
    QFETCH(QString, told);
    QFETCH(bool, signalMidPlan);
    TempWorkDir dir;
    QFile file(dir.file("test.plan"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(plan.toUtf8());
    file.close();
    Bench bench(dir, {"--demo=" + demo, "--plan", file.fileName()});
    QVERIFY(bench.process().waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(bench.log().contains(told), 15000);
    if (signalMidPlan) {
        QTRY_VERIFY_WITH_TIMEOUT(journaledRows(dir.file("xdg-data")) >= 11, 30000);
        bench.signal(SIGTERM);
    }
    QTRY_COMPARE_WITH_TIMEOUT(bench.process().state(), QProcess::NotRunning, 15000);
    QCOMPARE(bench.process().exitCode(), 3);
    if (!signalMidPlan) {
        QVERIFY(bench.dataFiles().isEmpty());
        return;
    }
    const QList<QByteArray> lines = bench.process().readAllStandardOutput().trimmed().split('\n');
    const QJsonObject result = QJsonDocument::fromJson(lines.last()).object();
    QCOMPARE(result.value("outcome").toString(), QString("fault"));
    QCOMPARE(result.value("reason").toString(), QString("signal %1").arg(SIGTERM));
    QCOMPARE(bench.dataFiles(), QStringList{result.value("data_file").toString()});
    QVERIFY(QFile::exists(result.value("results_file").toString()));
}

void TestHeadlessBench::runsFollowTheInstrument_data()
{
    QTest::addColumn<QString>("demo");
    QTest::addColumn<bool>("signalMidRun");
    QTest::addColumn<QString>("end");
    // The load goes on three simulated seconds in, at 2 A, and off again after 13 seconds.
    QTest::newRow("the instrument stops") << "HK07;run=3,13,2" << false << "InstrumentStopped";
    QTest::newRow("SIGTERM mid-run") << "HK07;run=3,600,2" << true << "Signal";
}

void TestHeadlessBench::runsFollowTheInstrument()
{
    QFETCH(QString, demo);
    QFETCH(bool, signalMidRun);
    QFETCH(QString, end);
    TempWorkDir dir;
    Bench bench(dir, {"--demo=" + demo});
    QVERIFY(bench.process().waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(bench.log().contains("run started"), 15000);
    QVERIFY(bench.dataFiles().isEmpty());
    if (signalMidRun) {
        QTRY_VERIFY_WITH_TIMEOUT(journaledRows(dir.file("xdg-data")) >= 11, 30000);
        bench.signal(SIGTERM);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(bench.log().contains("run saved"), 30000);
        bench.signal(SIGTERM);
    }
    QVERIFY(bench.process().waitForFinished(10000));
    QCOMPARE(bench.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(bench.process().exitCode(), 0);
    QVERIFY2(bench.log().contains("run ended " + end), qPrintable(bench.log()));

    // One complete data file, and no journal left to recover.
    const QStringList files = bench.dataFiles();
    QCOMPARE(files.size(), 1);
    QVERIFY(filesUnder(dir.file("xdg-data"), "*.journal").isEmpty());
    QFile file(files.first());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().split('\n').value(3).contains("VOLTAGE(V)"));
    const QVector<QStringList> rows = csvRows(files.first());
    QVERIFY2(rows.size() >= 10 && rows.size() <= 16, qPrintable(QString::number(rows.size())));
    QString previousTime;
    for (const QStringList &row : rows) {
        QCOMPARE(row.size(), 11);
        QVERIFY2(row[0] > previousTime, qPrintable(row[0])); // one row a second, in order
        previousTime = row[0];
        const double volts = row[1].toDouble(), amps = row[2].toDouble();
        QVERIFY2(volts > 3.0 && volts < 4.3, qPrintable(row.join(','))); // a Li-ion cell
        QVERIFY2(qAbs(amps - 2.0) < 0.05, qPrintable(row.join(',')));    // the set current
        QVERIFY2(qAbs(row[3].toDouble() - volts * amps) < 0.05, qPrintable(row.join(',')));
    }
}

void TestHeadlessBench::lastWillWhenKilled()
{
    Broker broker;
    QVERIFY(broker.start());
    const QString base = "lab/A1B2C3D4E5-1";
    Subscriber runs(broker.port(), base + "/run");
    QVERIFY(runs.waitReady());
    TempWorkDir dir;
    Bench bench(dir, {"--demo=HK07;run=2,600", "--mqtt",
                      QString("mqtt://127.0.0.1:%1/lab").arg(broker.port())});
    QVERIFY(bench.process().waitForStarted());
    QTRY_VERIFY2_WITH_TIMEOUT(!runs.payloadsOn(base + "/run").isEmpty(), qPrintable(bench.log()),
                              20000);
    QVERIFY(runs.payloadsOn(base + "/run").first().contains("started"));
    QCOMPARE(retainedMessage(broker.port(), base + "/status"), QByteArray("online"));
    bench.process().kill();
    QVERIFY(bench.process().waitForFinished());
    QTRY_COMPARE_WITH_TIMEOUT(retainedMessage(broker.port(), base + "/status"),
                              QByteArray("offline"), 10000);
}

// In this process, so that the simulated cable can be pulled: the run is saved, and after the
// cable is back the bus is scanned again and the still running load records a new run.
void TestHeadlessBench::unplugSavesAndReplugRecordsAgain()
{
    TempWorkDir dir;
    writeSettings(dir);
    qputenv("XDG_DATA_HOME", dir.file("xdg-data").toUtf8());
    sim::BusConfig config;
    QVERIFY(sim::parseDemoOption("HK07;run=1,600,2", config));
    sim::SimulatedBus bus(config);
    hid::setBackend(&bus);
    {
        HeadlessBench bench;
        bench.start(lablink::LinkSettings{});
        QTRY_VERIFY_WITH_TIMEOUT(journaledRows(dir.file("xdg-data")) >= 11, 30000);
        bus.unplug();
        QTRY_COMPARE_WITH_TIMEOUT(filesUnder(dir.file("Data"), "*.csv").size(), 1, 10000);
        bus.plug();
        QTRY_VERIFY_WITH_TIMEOUT(journaledRows(dir.file("xdg-data")) >= 11, 30000);
        bench.finish(acquire::RunSession::End::Signal);
    }
    hid::setBackend(nullptr);
    QCOMPARE(filesUnder(dir.file("Data"), "*.csv").size(), 2);
    QVERIFY(filesUnder(dir.file("xdg-data"), "*.journal").isEmpty());
}

// Standard error as a service's journal stream (JOURNAL_STREAM names its device and inode): every
// line starts with its syslog priority; on any other stream, none does.
void TestHeadlessBench::logLinesCarryPriorityForTheJournal()
{
    for (const bool journal : {true, false}) {
        TempWorkDir dir;
        writeSettings(dir);
        const QString logFile = dir.file("stderr.log");
        QFile(logFile).open(QIODevice::WriteOnly);
        struct stat info;
        QVERIFY(::stat(QFile::encodeName(logFile).constData(), &info) == 0);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dir.file("xdg-data"));
        env.insert("JOURNAL_STREAM",
                   QString("%1:%2").arg(info.st_dev).arg(journal ? info.st_ino : info.st_ino + 1));
        QProcess bench;
        bench.setProcessEnvironment(env);
        bench.setWorkingDirectory(dir.path());
        bench.setStandardErrorFile(logFile, QIODevice::Append);
        // Information lines: where runs go, waiting for the instrument, the signal.
        bench.start(USB_TESTER, {"--headless", "--demo=HK07:3;unplugged"});
        QVERIFY(bench.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(logFile).size() > 0, 10000);
        QTest::qWait(500);
        ::kill(pid_t(bench.processId()), SIGTERM);
        QVERIFY(bench.waitForFinished(10000));
        QFile log(logFile);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
        QVERIFY(lines.size() >= 2);
        for (const QByteArray &line : lines)
            QVERIFY2(QRegularExpression("^<[2-7]>").match(line).hasMatch() == journal,
                     line.constData());
        QVERIFY(!journal || lines.first().startsWith("<6>"));
    }
}

QTEST_GUILESS_MAIN(TestHeadlessBench)
#include "tst_headless_bench.moc"
