// The run session's promises: nothing clears a recorded run unsaved, a run is saved once, and an
// empty run that ends by itself leaves the status line alone.

#include "record/recorder.h"
#include "acquire/run_session.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using acquire::RunSession;
using End = RunSession::End;

class TestRunSession : public QObject
{
    Q_OBJECT
private slots:
    void savesEachRunOnce_data();
    void savesEachRunOnce();
    void unsavedRowsClearedOnlyWithConsent_data();
    void unsavedRowsClearedOnlyWithConsent();
};

namespace {
SaveOutcome failedSave()
{
    return {SaveOutcome::Result::Failed, "/full", "No space left on device"};
}
} // namespace

// A run whose save failed, and no journal holds its rows: a new run clears them only when the
// user agrees; without anyone to ask (the headless bench) or with a no, they stay and the new run
// continues the table. Rows a journal keeps, or too few to save, need no question.
void TestRunSession::unsavedRowsClearedOnlyWithConsent_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("journal");
    QTest::addColumn<int>("answer"); // -1: nobody to ask, 0: no, 1: yes
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("headless") << 12 << false << -1 << false << false;
    QTest::newRow("user says no") << 12 << false << 0 << true << false;
    QTest::newRow("user says yes") << 12 << false << 1 << true << true;
    QTest::newRow("all in the journal") << 12 << true << 0 << false << true;
    QTest::newRow("too few to save") << 9 << false << 0 << false << true;
}

void TestRunSession::unsavedRowsClearedOnlyWithConsent()
{
    QFETCH(int, rows);
    QFETCH(bool, journal);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, cleared);
    QTemporaryDir dir;
    Recorder recorder;
    recorder.setFamilyCode(1);
    if (journal)
        recorder.setJournalFolder(dir.filePath("journal"));
    RunSession session(recorder);
    session.setSaver(failedSave);
    qint64 question = -1;
    if (answer >= 0)
        session.setClearQuestion([&](qint64 unsaved) {
            question = unsaved;
            return answer == 1;
        });
    session.start();
    for (int i = 0; i < rows; ++i)
        recorder.record(QDateTime::currentDateTime(), proto::SampleValues{});
    session.finish(End::Stopped);
    session.start();
    QCOMPARE(question >= 0, asked);
    if (asked)
        QCOMPARE(question, qint64(rows));
    QCOMPARE(recorder.rowCount(), cleared ? qint64(0) : qint64(rows));
    QVERIFY(session.running());
    if (journal) { // kept for the next start's recovery
        QCOMPARE(QDir(dir.filePath("journal")).entryList({"*.journal"}).size(), 1);
    }
}

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
