// The run session's promises: nothing clears a recorded run unsaved, a run is saved once, and an
// empty run that ends by itself leaves the status line alone.

#include "record/recorder.h"
#include "acquire/run_session.h"

#include <QSignalSpy>
#include <QTest>

using acquire::RunSession;
using End = RunSession::End;

class TestRunSession : public QObject
{
    Q_OBJECT
private slots:
    void savesEachRunOnce_data();
    void savesEachRunOnce();
};

void TestRunSession::savesEachRunOnce_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("end"); // End, or -1: a new run begins
    QTest::addColumn<int>("saves");
    QTest::newRow("stop") << 12 << int(End::Stopped) << 1;
    QTest::newRow("new run over a running one") << 12 << -1 << 1;
    QTest::newRow("unplug") << 12 << int(End::Unplugged) << 1;
    QTest::newRow("signal") << 12 << int(End::Signal) << 1;
    QTest::newRow("stop of an empty run says so") << 0 << int(End::Stopped) << 1;
    QTest::newRow("empty run unplugged") << 0 << int(End::Unplugged) << 0;
    QTest::newRow("empty run replaced") << 0 << -1 << 0;
}

void TestRunSession::savesEachRunOnce()
{
    QFETCH(int, rows);
    QFETCH(int, end);
    QFETCH(int, saves);
    Recorder recorder;
    RunSession session(recorder);
    int saved = 0;
    qint64 rowsAtSave = -1;
    session.setSaver([&] {
        ++saved;
        rowsAtSave = recorder.rowCount();
        return SaveOutcome{SaveOutcome::Result::Written, "/data/run.csv", {}};
    });
    QVERIFY(!session.finish(End::Stopped)); // nothing runs yet
    session.start();
    QVERIFY(session.running());
    for (int i = 0; i < rows; ++i)
        recorder.record(QDateTime::currentDateTime(), proto::SampleValues{});

    QSignalSpy finished(&session, &RunSession::finished);
    if (end < 0)
        session.start();
    else
        session.finish(End(end));
    QCOMPARE(saved, saves);
    QCOMPARE(finished.size(), saves);
    if (saves)
        QCOMPARE(rowsAtSave, qint64(rows)); // saved before anything was cleared
    QCOMPARE(session.running(), end < 0);
    // Whatever comes next, a finished run is not saved again.
    if (end >= 0)
        QVERIFY(!session.finish(End::WindowClosed));
    QCOMPARE(saved, saves);
}

QTEST_MAIN(TestRunSession)
#include "tst_run_session.moc"
