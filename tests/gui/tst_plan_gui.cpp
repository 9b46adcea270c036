// The test-plan page, clicked through as a user would against the simulated load, on a test clock:
// a faulty plan is refused naming its line, a good one runs step by step with its results shown,
// and skip and stop end what they should.

#include "tests/gui/gui_fixture.h"

#include "settings/settings_file.h"

#include <QDir>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

// The commands a plan sends; polls and settings requests are not among them.
bool isCommand(const QByteArray &frame)
{
    const quint8 code = quint8(frame[3]);
    return code != 0x03 && code != 0x04 && code != 0x05;
}

// Answers the next file dialog with `path`.
void answerFileDialog(const QString &path)
{
    QTimer::singleShot(50, [path] {
        auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!files)
            return answerFileDialog(path);
        files->findChild<QLineEdit *>("fileNameEdit")->setText(path);
        QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
    });
}

} // namespace

class TestPlanGui : public QObject
{
    Q_OBJECT

    // The window on the plan page, its acquisition stepped by the test on its clock.
    struct Page
    {
        GuiFixture f{"HK07;speed=80"}; // the battery's clock about keeps pace with the test's
        FakeClock clock;
        QTreeWidget *steps = nullptr;

        bool open()
        {
            SettingsFile().write("save_path", f.workDir.file("Data"));
            f.open();
            if (!f.waitForScanEnd())
                return false;
            f.dialog->acquisition().timer()->stop();
            f.click("tbtn13");
            steps = f.w<QTreeWidget>("plan_tree_steps");
            return f.page() == 10;
        }
        void type(const QString &text) { f.w<QPlainTextEdit>("plan_text")->setPlainText(text); }
        void tick()
        {
            clock.advance(500);
            f.dialog->acquisition().step();
            QTest::qWait(5);
        }
        // Ticks until `done` holds, at most a simulated two minutes.
        template <typename F> bool tickUntil(F done)
        {
            for (int i = 0; i < 240 && !done(); ++i)
                tick();
            return done();
        }
        QString cell(int row, int column) const { return steps->topLevelItem(row)->text(column); }
        bool marked(int row) const { return cell(row, 0) == QString("▶ %1").arg(row + 1); }
        bool ended(int row) const { return !cell(row, 3).isEmpty(); }
        int commandsSent() const
        {
            const QVector<QByteArray> frames = f.frames();
            return int(std::count_if(frames.cbegin(), frames.cend(), isCommand));
        }
    };

private slots:
    // A faulty plan names its line and sends nothing. A good one lists its steps, marks the
    // running one with its time and the readings, fills each step's result as it ends, and at the
    // end names the outcome and the results file, which lies beside the run's data file.
    void planRunsToItsEnd()
    {
        Page p;
        QVERIFY(p.open());
        p.f.bus->clearWrittenReports();
        p.type("Discharge at 0.5 A for 3 s\nCharge at 1 A for 1 s");
        p.f.click("plan_btn_start");
        QVERIFY2(p.f.text("plan_label_message").startsWith("计划有误：line 2: unknown step"),
                 qPrintable(p.f.text("plan_label_message")));
        QCOMPARE(p.steps->topLevelItemCount(), 0);
        QCOMPARE(p.commandsSent(), 0);

        // Saved and opened again, the plan comes back as it was written.
        const QString text = "Discharge at 0.5 A for 5 s\nRest for 3 s\n"
                             "Measure resistance at 0.2 A for 2 s then 1 A for 2 s";
        p.type(text);
        answerFileDialog(p.f.workDir.file("cell.plan"));
        p.f.click("plan_btn_save");
        p.type(QString());
        answerFileDialog(p.f.workDir.file("cell.plan"));
        p.f.click("plan_btn_open");
        QCOMPARE(p.f.w<QPlainTextEdit>("plan_text")->toPlainText(), text);
        QCOMPARE(p.f.text("plan_label_file"), QString("cell.plan"));
        QCOMPARE(p.f.text("plan_label_message"), QString("共 3 步"));
        QCOMPARE(p.cell(1, 1), QString("Rest for 3 s"));
        p.f.click("plan_btn_start");
        QVERIFY(p.marked(0));
        QVERIFY(!p.f.w("plan_btnReturn")->isEnabled());
        QVERIFY(p.f.w<QPlainTextEdit>("plan_text")->isReadOnly());
        // Constant current, its set-point and the load on went out.
        QVERIFY(!p.f.framesWithCode(0x47).isEmpty());
        QCOMPARE(p.f.framesWithCode(0x25).last().at(4), char(1));
        QVERIFY(p.tickUntil([&] { return p.f.text("plan_value_current").toDouble() > 0.4; }));
        QCOMPARE(p.f.text("plan_unit_current"), QString("A"));
        QCOMPARE(p.f.text("plan_value_step"), QString("1 / 3"));
        QVERIFY(p.f.text("plan_value_step_time").startsWith("00:00:0"));

        QVERIFY(p.tickUntil([&] { return p.ended(0); }));
        QCOMPARE(p.cell(0, 3), QString("time"));
        QVERIFY(p.cell(0, 4).toDouble() > 0); // capacity taken at 0.5 A
        QVERIFY(p.marked(1) && !p.marked(0));
        QVERIFY(p.tickUntil([&] { return !p.f.text("plan_label_outcome").isEmpty(); }));
        QVERIFY(p.ended(1) && p.ended(2) && !p.marked(2));
        QVERIFY(p.cell(2, 6).toDouble() > 0); // the resistance step's, and only its
        QVERIFY(p.cell(0, 6).isEmpty() && p.cell(1, 6).isEmpty());

        const QStringList outcome = p.f.text("plan_label_outcome").split('\n');
        QVERIFY2(outcome.value(0).startsWith("计划完成"), qPrintable(outcome.value(0)));
        QVERIFY2(outcome.value(1).startsWith("结果文件："), qPrintable(outcome.value(1)));
        const QFileInfo results(outcome.value(1).section("：", 1));
        QCOMPARE(results.absolutePath(), QDir(p.f.workDir.file("Data")).absolutePath());
        QFile file(results.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
        QCOMPARE(QFileInfo(saved.value("data_file").toString()).absolutePath(),
                 results.absolutePath());
        QVERIFY(QFile::exists(saved.value("data_file").toString()));
        QCOMPARE(saved.value("steps").toArray().size(), 3);

        QVERIFY(p.f.w("plan_btnReturn")->isEnabled());
        QVERIFY(!p.f.w<QPlainTextEdit>("plan_text")->isReadOnly());
        p.f.click("plan_btnReturn");
        QCOMPARE(p.f.page(), 0);
    }

    // Skip ends the running step and begins the next; stop ends the plan with the load off, says
    // so, and nothing is sent after it. A language switch says it all again.
    void skipAndStop()
    {
        Page p;
        QVERIFY(p.open());
        p.type("Discharge at 1 A for 1 h\nDischarge at 2 W for 1 h\nRest for 1 h");
        p.f.click("plan_btn_start");
        QVERIFY(p.tickUntil([&] { return p.f.text("plan_value_step_time") == "00:00:02"; }));
        p.f.click("plan_btn_skip");
        QCOMPARE(p.cell(0, 3), QString("skipped"));
        QCOMPARE(p.cell(0, 2), QString("00:00:02"));
        QVERIFY(p.marked(1));
        QVERIFY(!p.f.framesWithCode(0x4A).isEmpty()); // constant power for the second step
        QVERIFY(p.tickUntil([&] { return p.f.text("plan_value_step_time") == "00:00:03"; }));

        p.f.click("plan_btn_stop");
        QCOMPARE(p.cell(1, 3), QString("stopped by the user"));
        QVERIFY(!p.ended(2) && !p.marked(1));
        QVERIFY2(p.f.text("plan_label_outcome").startsWith("计划已停止 (stopped by the user)"),
                 qPrintable(p.f.text("plan_label_outcome")));
        QCOMPARE(p.f.framesWithCode(0x25).last().at(4), char(0));
        QVERIFY(p.f.w("plan_btn_start")->isEnabled() && !p.f.w("plan_btn_stop")->isEnabled());
        p.f.bus->clearWrittenReports();
        for (int i = 0; i < 6; ++i)
            p.tick();
        QCOMPARE(p.commandsSent(), 0);

        // In English the page says the same, and keeps the plan as typed.
        p.f.chooseLanguage("language_english");
        QTRY_VERIFY(
            p.f.text("plan_label_outcome").startsWith("Plan stopped (stopped by the user)"));
        QCOMPARE(p.steps->headerItem()->text(4), QString("Capacity (mAh)"));
        QCOMPARE(p.f.w<QAbstractButton>("plan_btn_skip")->text(), QString("Skip step"));
        QVERIFY(p.f.w<QPlainTextEdit>("plan_text")->toPlainText().startsWith("Discharge at 1 A"));
    }
};

QTEST_MAIN(TestPlanGui)
#include "tst_plan_gui.moc"
