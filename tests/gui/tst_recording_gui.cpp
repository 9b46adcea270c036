// The recorded run through the program as a user meets it: "Export data" from the chart menu, and
// a run that survives the program being killed (the real program, in child processes).

#include "tests/gui/gui_fixture.h"

#include "record/clock.h"
#include "record/csv_format.h"
#include "tests/gui/data_file_rows.h"
#include "record/journal.h"
#include "settings/settings_file.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>

#include <csignal>
#include <sys/types.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// Acts on the next modal dialog of type T while it shows (the static dialogs block), again on
// each poll until it has closed: a file dialog busy reading a folder may let a choice pass. The
// answer is null once the poll has ended.
template <typename T> QPointer<QTimer> whenModal(std::function<void(T *)> act)
{
    auto *poll = new QTimer;
    poll->setInterval(50);
    auto seen = std::make_shared<bool>(false);
    QObject::connect(poll, &QTimer::timeout, [poll, act, seen] {
        auto *modal = qobject_cast<T *>(QApplication::activeModalWidget());
        if (modal) {
            *seen = true;
            act(modal);
        } else if (*seen) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start();
    return poll;
}

// Types a full path into a save dialog's file name box (where the user types) and saves.
void chooseFile(QFileDialog *dialog, const QString &path)
{
    auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
    QVERIFY(name);
    name->setText(path);
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
}

QString timeText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString("yyyy-MM-dd_hh:mm:ss");
}

// The real program against the simulated NV05, which records without a run start, in `dir`.
bool startProgram(QProcess &program, const TempWorkDir &dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_DATA_HOME", dir.file("xdg-data"));
    env.insert("XDG_CONFIG_HOME", dir.file("xdg-config"));
    env.insert("QT_LOGGING_RULES", "record.info=true;acquire.info=true");
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.start(USB_TESTER_PATH, {"--demo=NV05"});
    return program.waitForStarted();
}

qint64 journalRows(const QString &path)
{
    JournalContent content;
    QString error;
    return readJournal(path, &content, &error) ? content.rows.size() : qint64(-1);
}

// Opens the dialog on an NV05, which records once identified, and steps the chart tick until
// `rows` rows are recorded.
MainDialog &openAndRecord(GuiFixture &f, qint64 rows)
{
    MainDialog &dialog = f.open();
    if (!f.waitForScanEnd())
        qFatal("bus scan did not end");
    dialog.acquisition().timer()->stop();
    for (int i = 0; i < 400 && dialog.recorder().rowCount() < rows; ++i) {
        dialog.acquisition().step();
        QTest::qWait(5);
    }
    return dialog;
}

} // namespace

class TestRecordingGui : public QObject
{
    Q_OBJECT
private slots:
    void runStopAndExport();
    void startUpRecoversJournal();
    void killedRunIsRecovered();
    void interruptedRunIsSaved_data();
    void interruptedRunIsSaved();
    void instrumentEndsTheRun();
    void terminationSignalSavesTheRun_data();
    void terminationSignalSavesTheRun();
    void exportsToldAlike_data();
    void exportsToldAlike();
};

// A run's files as the user meets them. A stop after fewer than ten samples writes nothing, and
// "Export data" only shows its note. A run of ten or more: the stop names the file, which holds
// the values the instrument reported; the export dialog opens in the data folder and writes the
// same rows, and its folder becomes save_path. A stop that cannot save says so and keeps the run
// (table and journal), which "Export data" can still save.
void TestRecordingGui::runStopAndExport()
{
    GuiFixture f;
    const QString data = f.workDir.file("Data");
    SettingsFile().write("save_path", data);
    FakeClock clock;
    MainDialog &dialog = f.open();
    QVERIFY(f.waitForScanEnd());
    dialog.acquisition().timer()->stop(); // the test steps the cycle itself
    f.click("tbtn3");
    QCursor::setPos(dialog.mapToGlobal(QPoint(2, 2))); // the run button keeps its text
    QVector<proto::SampleValues> reported;
    connect(&dialog.recorder(), &Recorder::cleared, [&] { reported.clear(); });
    connect(&dialog.recorder(), &Recorder::rowRecorded,
            [&] { reported.append(sampleValuesOf(dialog.link().live())); });
    // A run of `rows` samples: start, chart ticks while reports keep arriving, stop.
    auto tick = [&] {
        clock.advance(500);
        dialog.acquisition().step();
        QTest::qWait(5);
    };
    // A run of `rows` samples. The button starts or stops by the instrument's last report, so
    // the start waits for a report of the stopped load.
    auto run = [&](int rows) {
        for (int i = 0; i < 400 && dialog.link().state().deviceRunning; ++i)
            tick();
        f.click("disp_Btn_Run");
        for (int i = 0; i < 400 && reported.size() < rows; ++i)
            tick();
        f.click("disp_Btn_Run");
        return f.text("label_left_tips");
    };
    auto exportTo = [&](const QString &file) {
        QString startFolder;
        whenModal<QFileDialog>([&, file](QFileDialog *files) {
            startFolder = files->directory().absolutePath();
            chooseFile(files, file);
        });
        f.chooseFromChartMenu("导出数据(.csv)");
        return startFolder;
    };

    QCOMPARE(run(9), "Data_Path:No data.");
    QString note;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        note = box->windowTitle() + "|" + box->text();
        box->button(QMessageBox::Ok)->click();
    });
    f.chooseFromChartMenu("导出数据(.csv)");
    QCOMPARE(note, "提示信息|<font color='red'>数据太少了吧，请记录至少十条数据。</font>");
    QVERIFY(!QFileInfo::exists(data));

    const QString tip = run(12);
    QVERIFY2(tip.startsWith("Data_Path:" + data + "/LoadData_"), qPrintable(tip));
    const QVector<QStringList> rows = csvRows(tip.mid(10));
    QCOMPARE(rows.size(), 12);
    const int decimals[] = {6, 6, 6, 3, 3, 3, 3, 1, 3, 0};
    const proto::Quantity columns[] = {proto::Quantity::Voltage,    proto::Quantity::Current, proto::Quantity::Power,
                                proto::Quantity::Resistance, proto::Quantity::Energy,  proto::Quantity::Capacity,
                                proto::Quantity::NtcTemp,    proto::Quantity::CpuTemp, proto::Quantity::MosTemp,
                                proto::Quantity::FanSpeed};
    for (int r = 0; r < rows.size(); ++r) {
        QCOMPARE(rows[r].size(), 11);
        QCOMPARE(rows[r][0], timeText(dialog.recorder().store().time(r)));
        for (int c = 0; c < 10; ++c) {
            const double value = reported[r][size_t(columns[c])];
            QVERIFY2(qAbs(rows[r][c + 1].toDouble() - value) <= 0.5 * std::pow(10, -decimals[c]),
                     qPrintable(QStringLiteral("row %1 column %2").arg(r).arg(c + 1)));
        }
    }
    QVERIFY(reported.last()[size_t(proto::Quantity::Voltage)] > 1.0f); // the source's own reading

    const QString exports = f.workDir.file("exports");
    QDir().mkpath(exports);
    QCOMPARE(exportTo(exports + "/run.csv"), data);
    QCOMPARE(csvRows(exports + "/run.csv"), rows);
    QCOMPARE(SettingsFile().read("save_path"), exports);

    const QString missing = f.workDir.file("no/such/folder");
    SettingsFile().write("save_path", missing);
    QCOMPARE(run(10), "数据保存失败: " + missing);
    QCOMPARE(dialog.recorder().rowCount(), qint64(10));
    QVERIFY(QFile::exists(dialog.recorder().journalPath()));
    const QString failedJournal = dialog.recorder().journalPath();
    exportTo(exports + "/kept.csv");
    QCOMPARE(csvRows(exports + "/kept.csv").size(), 10);
    QVERIFY2(!QFile::exists(failedJournal), "an exported run still in its journal");

    // Closing the window with a run whose save failed says it will be recovered, and the next
    // start writes it.
    SettingsFile().write("save_path", missing);
    QCOMPARE(run(11), "数据保存失败: " + missing);
    whenModal<QMessageBox>([&](QMessageBox *box) {
        note = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    note.clear();
    dialog.close();
    QVERIFY2(note.contains("下次启动时将自动恢复"), qPrintable(note));
    f.dialog.reset();
    QCOMPARE(filesUnder(defaultJournalFolder(), "*.journal").size(), 1);
    SettingsFile().write("save_path", data);
    f.open();
    const QString recovered = f.text("label_left_tips").section(": ", 1);
    QVERIFY2(recovered.startsWith(data + "/LoadData_"), qPrintable(recovered));
    QCOMPARE(csvRows(recovered).size(), 11);
    QVERIFY(filesUnder(defaultJournalFolder(), "*.journal").isEmpty());
}

void TestRecordingGui::interruptedRunIsSaved_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("saved");
    QTest::newRow("instrument unplugged") << "unplug" << true;
    QTest::newRow("window closed") << "close" << true;
    QTest::newRow("search finds no instrument") << "search-gone" << true;
    QTest::newRow("search finds the same instrument") << "search-same" << false;
}

// A run that ends without the stop button is saved as a stop would save it, once, and the status
// line says where; a bus search that finds the same instrument leaves the run recording.
void TestRecordingGui::interruptedRunIsSaved()
{
    QFETCH(QString, end);
    QFETCH(bool, saved);
    GuiFixture f("NV05"); // charted once identified, no run start needed
    const QString data = f.workDir.file("Data");
    SettingsFile().write("save_path", data);
    MainDialog &dialog = f.open();
    QVERIFY(f.waitForScanEnd());
    dialog.acquisition().timer()->stop();
    auto stepUntil = [&](qint64 rows) {
        for (int i = 0; i < 400 && dialog.recorder().rowCount() < rows; ++i) {
            dialog.acquisition().step();
            QTest::qWait(5);
        }
        return dialog.recorder().rowCount();
    };
    QCOMPARE(stepUntil(12), qint64(12));
    if (end == "unplug") {
        f.bus->unplug();
    } else if (end == "close") {
        dialog.close();
    } else {
        if (end == "search-gone")
            f.bus->setFaults({/*lostReplyRate=*/1.0});
        f.click("btn_search");
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.link().scanBusy(), 8000);
    }
    if (!saved) {
        QVERIFY(dialog.runSession().running());
        QCOMPARE(stepUntil(14), qint64(14)); // the same run goes on
        QVERIFY(filesUnder(data, "*.csv").isEmpty());
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(filesUnder(data, "*.csv").size(), 1, 5000);
    const QString file = filesUnder(data, "*.csv").first();
    QCOMPARE(f.text("label_left_tips"), "Data_Path:" + file);
    QCOMPARE(csvRows(file).size(), 12);
    QVERIFY(filesUnder(defaultJournalFolder(), "*.journal").isEmpty());
    QVERIFY(!dialog.runSession().running());
    // The run button follows the ended run; pressing it begins a new run, never a second save.
    QVERIFY(!f.w<QAbstractButton>("disp_Btn_Run")->text().contains("停止"));
    f.click("disp_Btn_Run");
    QCOMPARE(filesUnder(data, "*.csv").size(), 1);
}

// The instrument switching its load off by itself (its timer, cut-off or button) ends the run as
// the stop button would: saved once, the status line names the file, the button offers a start.
void TestRecordingGui::instrumentEndsTheRun()
{
    GuiFixture f("HK07;speed=20;run=0,30"); // on at once, off 30 simulated seconds later
    const QString data = f.workDir.file("Data");
    SettingsFile().write("save_path", data);
    MainDialog &dialog = f.open();
    QVERIFY(f.waitForScanEnd());
    dialog.acquisition().timer()->stop();
    for (int i = 0; i < 1000 && filesUnder(data, "*.csv").isEmpty(); ++i) {
        dialog.acquisition().step();
        QTest::qWait(10);
    }
    const QStringList files = filesUnder(data, "*.csv");
    QCOMPARE(files.size(), 1);
    QVERIFY(csvRows(files.first()).size() >= 10);
    QCOMPARE(f.text("label_left_tips"), "Data_Path:" + files.first());
    QVERIFY(!dialog.runActive());
    QVERIFY(!f.w<QAbstractButton>("disp_Btn_Run")->text().contains("停止"));
    for (int i = 0; i < 20; ++i) // nothing more is recorded or saved
        dialog.acquisition().step();
    QCOMPARE(filesUnder(data, "*.csv").size(), 1);
    QCOMPARE(dialog.recorder().rowCount(), qint64(csvRows(files.first()).size()));
}

void TestRecordingGui::exportsToldAlike_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("data") << "导出数据(.csv)"
                          << "csv";
    QTest::newRow("picture") << "导出图片(.png)"
                             << "png";
}

// Both exports of the chart menu say on the status line where they wrote, or that they could
// not; a later success replaces the failure.
void TestRecordingGui::exportsToldAlike()
{
    QFETCH(QString, entry);
    QFETCH(QString, suffix);
    GuiFixture f("NV05"); // recorded once identified
    openAndRecord(f, 12);
    const auto exportTo = [&](const QString &file) {
        const QPointer<QTimer> answering =
            whenModal<QFileDialog>([file](QFileDialog *files) { chooseFile(files, file); });
        f.chooseFromChartMenu(entry);
        // Done before the next export, whose dialog it must not answer.
        (void)QTest::qWaitFor([&answering] { return answering.isNull(); }, 5000);
        return f.text("label_left_tips");
    };
    const QString unwritable = f.workDir.file("no/such/folder/export." + suffix);
    QCOMPARE(exportTo(unwritable), "数据保存失败: " + unwritable);
    const QString written = f.workDir.file("export." + suffix);
    // Exporting data moves later runs into the export's folder, and says so.
    const QString laterRuns = suffix == "csv" ? "  以后的记录将保存在: " + f.workDir.path() : "";
    QCOMPARE(exportTo(written), "Data_Path:" + written + laterRuns);
    QVERIFY(QFileInfo(written).size() > 0);
}

// A journal left by a dead instance becomes a data file at start-up, and the status line says
// where.
void TestRecordingGui::startUpRecoversJournal()
{
    GuiFixture f("NV05", false);
    SettingsFile().write("save_path", f.workDir.file("Data"));
    {
        Journal journal;
        QString error;
        QVERIFY2(journal.open(defaultJournalFolder(), 4, &error), qPrintable(error));
        for (int i = 0; i < 12; ++i)
            journal.append(QDateTime::currentMSecsSinceEpoch() + i * 1000, proto::SampleValues{});
        QVERIFY(QFile::copy(journal.filePath(), defaultJournalFolder() + "/run-dead.journal"));
    }
    f.open();
    const QStringList files = filesUnder(f.workDir.file("Data"), "*.csv");
    QCOMPARE(files.size(), 1);
    QCOMPARE(f.text("label_left_tips"), "已恢复中断的记录: " + files.first());
    // The program starts on a home page, not where the status line is: the news shows over it.
    QVERIFY(!f.w("page_disp")->isVisible());
    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = f.dialog->findChild<QMessageBox *>("recovered_runs_box")) &&
                box->isVisible());
    QCOMPARE(box->text(), "已恢复中断的记录: " + files.first());
    box->button(QMessageBox::Ok)->click();
    QCOMPARE(csvRows(files.first()).size(), 12);
    QVERIFY(filesUnder(defaultJournalFolder(), "*.journal").isEmpty());
}

// The real program records an NV05 run (sampled without a run start) and is killed with SIGKILL
// while a second instance records beside it. The next start writes the killed run as a data file
// holding every row up to the kill; the live instance's journal was never touched.
void TestRecordingGui::killedRunIsRecovered()
{
    TempWorkDir dir;
    SettingsFile().write("save_path", dir.file("Data"));
    auto start = [&](QProcess &program) { return startProgram(program, dir); };

    QProcess first, second, third;
    QVERIFY(start(first));
    QTRY_COMPARE_WITH_TIMEOUT(filesUnder(dir.path(), "*.journal").size(), 1, 15000);
    const QString journal = filesUnder(dir.path(), "*.journal").first();
    QTRY_VERIFY_WITH_TIMEOUT(journalRows(journal) >= 20, 40000);

    QVERIFY(start(second));
    QTRY_COMPARE_WITH_TIMEOUT(filesUnder(dir.path(), "*.journal").size(), 2, 15000);
    QVERIFY2(filesUnder(dir.path(), "*.csv").isEmpty(), "a live journal was recovered");
    QVERIFY(QFile::exists(journal));

    JournalContent beforeKill;
    QString error;
    QVERIFY(readJournal(journal, &beforeKill, &error));
    const qint64 killMs = QDateTime::currentMSecsSinceEpoch();
    first.kill(); // SIGKILL
    second.kill();
    QVERIFY(first.waitForFinished(5000) && second.waitForFinished(5000));

    QVERIFY(start(third));
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(journal), 15000);
    third.kill();
    third.waitForFinished(5000);
    QVERIFY2(third.readAllStandardError().contains("interrupted run"), "recovery not logged");

    // The second instance had too few rows for a data file; the killed run has one.
    const QStringList files = filesUnder(dir.file("Data"), "LoadData_*.csv");
    QCOMPARE(files.size(), 1);
    const QVector<QStringList> rows = csvRows(files.first());
    QVERIFY(rows.size() >= 20);
    QVERIFY(qint64(rows.size()) >= beforeKill.rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        QCOMPARE(rows[r].size(), 9);
        for (const QString &cell : rows[r].mid(1)) {
            bool number = false;
            cell.toDouble(&number);
            QVERIFY2(number, qPrintable(cell));
        }
        if (r < beforeKill.rows.size())
            QCOMPARE(rows[r][0], timeText(beforeKill.rows.time(r)));
    }
    const QDateTime last = QDateTime::fromString(rows.last()[0], "yyyy-MM-dd_hh:mm:ss");
    QVERIFY2(last.toSecsSinceEpoch() >= killMs / 1000 - 2,
             qPrintable(rows.last()[0] + " vs kill at " + timeText(killMs)));
}

void TestRecordingGui::terminationSignalSavesTheRun_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

// Ended from outside while recording, the real program saves the run as a stop would, removes its
// journal, says where, and exits with status 0.
void TestRecordingGui::terminationSignalSavesTheRun()
{
    QFETCH(int, signalNumber);
    TempWorkDir dir;
    SettingsFile().write("save_path", dir.file("Data"));
    QProcess program;
    QVERIFY(startProgram(program, dir));
    QTRY_COMPARE_WITH_TIMEOUT(filesUnder(dir.path(), "*.journal").size(), 1, 15000);
    const QString journal = filesUnder(dir.path(), "*.journal").first();
    QTRY_VERIFY_WITH_TIMEOUT(journalRows(journal) >= 12, 40000);
    const qint64 journaled = journalRows(journal);

    QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QStringList files = filesUnder(dir.file("Data"), "LoadData_*.csv");
    QCOMPARE(files.size(), 1);
    QVERIFY(csvRows(files.first()).size() >= journaled);
    QVERIFY(!QFile::exists(journal));
    QVERIFY2(program.readAllStandardError().contains(files.first().toUtf8()),
             "the saved file is not named in the log");
}

QTEST_MAIN(TestRecordingGui)
#include "tst_recording_gui.moc"
