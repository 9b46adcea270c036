// Saves and recoveries against crashes, a full disk and a second instance: a child process is
// ended after every durable step of a stop's save and of a recovery, the journal meets a file
// size limit in the middle of a row, and two instances save at the same moment.

#include "record/durable_file.h"
#include "record/journal.h"
#include "record/recorder.h"

#include "../../support/temp_workdir.h"

#include <QProcess>
#include <QSettings>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

constexpr int kHeaderLines = 4;

QStringList filesIn(const QString &folder, const QString &pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files | QDir::Hidden, QDir::Name);
}

QList<QByteArray> linesOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = f.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The markers of the rows in a data file (the voltage column), or empty when the file is not
// one whole run of `rows` rows.
QSet<QByteArray> markersOfCompleteRun(const QString &path, int rows)
{
    const QList<QByteArray> lines = linesOf(path);
    QSet<QByteArray> markers;
    if (lines.size() != kHeaderLines + rows || !lines[3].startsWith("(时间)DATE,"))
        return markers;
    for (int i = kHeaderLines; i < lines.size(); ++i)
        markers.insert(lines[i].split(',').value(1));
    return markers;
}

struct Child
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray output;
};

Child runChild(const QString &work, const QString &mode, int marker, int killAt = 0,
               const QByteArray &zone = "UTC")
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TZ", zone);
    p.setProcessEnvironment(env);
    p.start(SAVE_CHILD, {work, mode, QString::number(marker), QString::number(killAt)});
    Child c;
    if (!p.waitForFinished(30000))
        p.kill();
    c.crashed = p.exitStatus() == QProcess::CrashExit;
    c.exitCode = p.exitCode();
    c.output = p.readAllStandardOutput();
    return c;
}

// The file size limit lowered to `bytes` (a full disk, as far as this process writes) while it
// lives; past it a write fails with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved;
};

// A recorder that journals HK07 rows into `folder`; row(i) records second i at 10:00.
struct JournaledRecorder
{
    explicit JournaledRecorder(const QString &folder)
    {
        recorder.setJournalFolder(folder);
        recorder.setFamilyCode(1);
    }
    void row(int i)
    {
        recorder.record(QDateTime(QDate(2024, 5, 1), QTime(10, 0, i)), {float(i), 1.5f});
    }
    qint64 journalBytes() const { return QFileInfo(recorder.journalPath()).size(); }
    Recorder recorder;
};

} // namespace

class TestRecordDurability : public QObject
{
    Q_OBJECT
    TempWorkDir m_dir;

    QString freshWork(const QString &name)
    {
        const QString work = m_dir.file(name);
        QDir(work).removeRecursively();
        QDir().mkpath(work);
        return work;
    }

    // What must hold whenever no process is running: the run in exactly one complete data
    // file, or not yet in any and still in its journal; never a partial file under a final name.
    void checkOneRunSomewhere(const QString &work, bool mustBeSaved)
    {
        const QStringList files = filesIn(work + "/Data", "LoadData_*.csv");
        const QStringList journals = filesIn(work + "/journal", "*.journal");
        QVERIFY2(files.size() <= 1, qPrintable(files.join(' ')));
        if (files.size() == 1)
            QCOMPARE(markersOfCompleteRun(work + "/Data/" + files[0], 30),
                     QSet<QByteArray>{"7.000000"});
        else
            QCOMPARE(journals.size(), 1);
        if (mustBeSaved) {
            QCOMPARE(files.size(), 1);
            QVERIFY2(journals.isEmpty(), qPrintable(journals.join(' ')));
            QVERIFY2(filesIn(work + "/Data", ".*.part").isEmpty(), "a temporary file stayed");
        }
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.file("config"));
    }

    // Through the seam: the data file is synced, renamed, its folder synced, and only then is
    // the journal removed.
    void stepOrder()
    {
        QStringList steps;
        durable::setObserver([&steps](durable::Step step, const QString &path) {
            steps << QStringLiteral("%1 %2").arg(durable::stepName(step),
                                                 QFileInfo(path).fileName());
        });
        Recorder recorder;
        recorder.setJournalFolder(m_dir.file("order/journal"));
        recorder.setFamilyCode(4);
        for (int i = 0; i < 12; ++i)
            recorder.record(QDateTime(QDate(2024, 5, 1), QTime(9, 0, i)), {float(i)});
        const QString journal = QFileInfo(recorder.journalPath()).fileName();
        steps.clear();
        const SaveOutcome outcome = recorder.saveRun({m_dir.file("order/Data"), false});
        durable::setObserver({});
        QVERIFY(outcome.written());
        const QString part = "." + journal + ".part";
        const QString final = QFileInfo(outcome.path).fileName();
        const QStringList expected{"folder synced order", // the new Data folder's entry
                                   "written " + part,        "file synced " + part,
                                   "file synced " + journal, // the note of the name it takes
                                   "renamed " + final,       "folder synced Data",
                                   "removed " + journal,     "folder synced journal"};
        QVERIFY2(steps == expected, qPrintable(steps.join(" | ")));
    }

    // Ended after each step of a stop's save, or of the recovery of a killed run's journal, and
    // then started again: the run ends in exactly one complete file.
    void endedAfterEveryStep_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("stop") << "stop";
        QTest::newRow("recovery") << "recover";
    }
    void endedAfterEveryStep()
    {
        QFETCH(QString, ending);
        auto endedRun = [&ending](const QString &work, int killAt) {
            if (ending == "stop")
                return runChild(work, "stop", 7, killAt);
            runChild(work, "record", 7);
            return runChild(work, "recover", 0, killAt);
        };
        const int steps = endedRun(freshWork("count"), 0).output.count('\n') - 1;
        QVERIFY(steps >= 6);
        for (int killAt = 1; killAt <= steps; ++killAt) {
            const QString work = freshWork(QStringLiteral("%1-%2").arg(ending).arg(killAt));
            const Child ended = endedRun(work, killAt);
            QVERIFY2(ended.crashed, ended.output.constData());
            checkOneRunSomewhere(work, false);
            QCOMPARE(runChild(work, "recover", 0).exitCode, 0);
            checkOneRunSomewhere(work, true);
        }
    }

    // The file size limit stops a journal row half-way, twice; once space is back, the retry
    // brings every row in whole.
    void shortJournalWrite()
    {
        JournaledRecorder journaled(m_dir.file("short/journal"));
        Recorder &recorder = journaled.recorder;
        for (int i = 0; i < 5; ++i)
            journaled.row(i);
        {
            const FileSizeLimit full(journaled.journalBytes() + 40); // mid-row
            journaled.row(5);
            journaled.row(6);
        }
        journaled.row(7);

        JournalContent content;
        QString error;
        QVERIFY2(readJournal(recorder.journalPath(), &content, &error), qPrintable(error));
        QCOMPARE(content.droppedLines, 0);
        QCOMPARE(content.rows.size(), qint64(8));
        for (int i = 0; i < 8; ++i)
            QCOMPARE(content.rows.row(i)[0], float(i));
        recorder.clear();
    }

    // A save ended right after its rename, and the time zone changed before the restart: the
    // recovery still knows the file by the bytes the save noted, and writes no second one.
    void zoneChangedBeforeRecovery()
    {
        const QList<QByteArray> steps =
            runChild(freshWork("zone-count"), "stop", 7, 0, "Asia/Tokyo").output.split('\n');
        int renamedAt = 0;
        while (renamedAt < steps.size() && !steps[renamedAt].startsWith("renamed"))
            ++renamedAt;
        QVERIFY(renamedAt < steps.size());
        const QString work = freshWork("zone");
        QVERIFY(runChild(work, "stop", 7, renamedAt + 1, "Asia/Tokyo").crashed);
        QCOMPARE(filesIn(work + "/journal", "*.journal").size(), 1);
        QCOMPARE(runChild(work, "recover", 0, 0, "America/New_York").exitCode, 0);
        checkOneRunSomewhere(work, true);
    }

    // A failed export (here the file size limit, as a full disk) leaves the file it would have
    // replaced byte for byte, and no temporary file.
    void failedExportKeepsTheFile()
    {
        const QString folder = freshWork("export");
        JournaledRecorder journaled{QString()}; // no journal: the export alone holds the rows
        Recorder &recorder = journaled.recorder;
        for (int i = 0; i < 12; ++i)
            journaled.row(i);
        const QString path = folder + "/run.csv";
        QString error;
        QVERIFY2(recorder.exportRun(path, 1, false, &error), qPrintable(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray first = file.readAll();
        file.close();
        for (int i = 12; i < 3000; ++i)
            journaled.row(i % 60);
        bool written;
        {
            const FileSizeLimit full(first.size() + 4096);
            written = recorder.exportRun(path, 1, true, &error);
        }
        QVERIFY(!written);
        QVERIFY(!error.isEmpty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), first);
        QCOMPARE(filesIn(folder, "*"), QStringList{"run.csv"});
        QVERIFY(recorder.hasUnsavedRows()); // the failed export saved nothing
    }

    // Rows the journal could not take are counted as unsaved, not as kept, and the journal
    // catches up by itself once space is back, with no new row to prompt it.
    void journalBehindIsToldAndCaughtUp()
    {
        JournaledRecorder journaled(m_dir.file("behind/journal"));
        Recorder &recorder = journaled.recorder;
        for (int i = 0; i < 12; ++i)
            journaled.row(i);
        {
            const FileSizeLimit full(journaled.journalBytes());
            for (int i = 12; i < 17; ++i)
                journaled.row(i);
        }
        const QString note = recorder.unsavedRunNote();
        QVERIFY2(note.contains("17 条") && note.contains("其中 12 条") && note.contains("其余 5 条"),
                 qPrintable(note));
        QVERIFY(!recorder.clearLosesNothing());

        JournalContent content;
        QString error;
        QTRY_VERIFY_WITH_TIMEOUT(readJournal(recorder.journalPath(), &content, &error) &&
                                     content.rows.size() == 17,
                                 Recorder::kRetryMs + 3000);
        QVERIFY(recorder.clearLosesNothing());
        QVERIFY(!recorder.unsavedRunNote().contains("其余"));
        recorder.clear();
    }

    // Two instances stop at the same moment, twenty times: forty files, each one whole run.
    void twoInstancesStopTogether()
    {
        const QString work = freshWork("race");
        QSet<QByteArray> seen;
        for (int trial = 0; trial < 20; ++trial) {
            QFile::remove(work + "/go");
            QProcess a, b;
            const int markerA = 100 + 2 * trial, markerB = markerA + 1;
            a.start(SAVE_CHILD, {work, "race", QString::number(markerA)});
            b.start(SAVE_CHILD, {work, "race", QString::number(markerB)});
            QVERIFY(a.waitForReadyRead(30000) && b.waitForReadyRead(30000));
            QFile(work + "/go").open(QIODevice::WriteOnly);
            QVERIFY(a.waitForFinished(30000) && b.waitForFinished(30000));
            QCOMPARE(a.exitCode(), 0);
            QCOMPARE(b.exitCode(), 0);
        }
        const QStringList files = filesIn(work + "/Data", "LoadData_*.csv");
        QCOMPARE(files.size(), 40);
        for (const QString &file : files) {
            const QSet<QByteArray> markers = markersOfCompleteRun(work + "/Data/" + file, 20);
            QCOMPARE(markers.size(), 1);
            seen += markers;
        }
        QCOMPARE(seen.size(), 40);
    }
};

QTEST_GUILESS_MAIN(TestRecordDurability)
#include "tst_record_durability.moc"
