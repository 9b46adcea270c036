// The journal of unsaved rows: written as rows arrive, gone after a save or a clear, held by one
// instance only, and recovered after a crash into the data file a stop would have written.

#include "record/clock.h"
#include "record/journal.h"
#include "record/journal_recovery.h"
#include "record/recorder.h"

#include "../../support/temp_workdir.h"

#include <QSettings>
#include <QtTest>

namespace {

QDateTime at(int h, int mi, int s)
{
    return QDateTime(QDate(2024, 5, 1), QTime(h, mi, s));
}

proto::SampleValues valuesFor(int i)
{
    return {float(i) + 0.25f, -0.5f, 3.0f, 4.0f, 5.0f, 6.0f, 30.0f, 25.0f, 28.0f, 1200.4f};
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestRecordJournal : public QObject
{
    Q_OBJECT
    TempWorkDir m_dir;
    QString m_journals;
    DataFolder m_data;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.file("config"));
        Clock::setSource([] { return at(13, 30, 0); });
        m_journals = m_dir.file("journal");
        m_data = {m_dir.file("Data"), false};
    }
    void cleanupTestCase() { Clock::setSource({}); }

    // Each row is in the file as soon as record() returns; a save or a clear ends the journal,
    // and rows recorded after a save start a new one that holds only them.
    void journalFollowsUnsavedRows()
    {
        Recorder recorder;
        recorder.setJournalFolder(m_journals);
        recorder.record(at(13, 0, 0), valuesFor(0));
        QVERIFY2(recorder.journalPath().isEmpty(), "no family: nothing to lay out a file with");
        recorder.setFamilyCode(1);
        for (int i = 1; i < 12; ++i) {
            recorder.record(at(13, 0, i), valuesFor(i));
            JournalContent content;
            QString error;
            QVERIFY2(readJournal(recorder.journalPath(), &content, &error), qPrintable(error));
            QCOMPARE(content.rows.size(), qint64(i + 1)); // includes the row before the family
            QCOMPARE(content.rows.row(i), valuesFor(i));
            QCOMPARE(content.familyCode, quint8(1));
        }
        const QString first = recorder.journalPath();
        QVERIFY(QFile::exists(first + ".lock"));

        QVERIFY(recorder.saveRun(m_data).written());
        QVERIFY(recorder.journalPath().isEmpty());
        QVERIFY(!QFile::exists(first));
        QVERIFY(!QFile::exists(first + ".lock"));
        QCOMPARE(recorder.rowCount(), qint64(12)); // a save keeps the table for export

        recorder.record(at(13, 0, 12), valuesFor(12));
        JournalContent content;
        QString error;
        QVERIFY(readJournal(recorder.journalPath(), &content, &error));
        QCOMPARE(content.rows.size(), qint64(1));

        recorder.setFamilyCode(4); // a new layout rewrites what is unsaved
        recorder.record(at(13, 0, 13), valuesFor(13));
        QVERIFY(readJournal(recorder.journalPath(), &content, &error));
        QCOMPARE(content.familyCode, quint8(4));
        QCOMPARE(content.rows.size(), qint64(2));

        recorder.clear();
        QVERIFY(filesIn(m_journals).isEmpty());
    }

    // A dead instance's journal becomes the data file a stop would have written; a torn last
    // line is dropped, never half-written; a live instance's journal is left alone.
    void recoveryAfterCrash()
    {
        Recorder live;
        live.setJournalFolder(m_journals);
        live.setFamilyCode(4);
        Recorder crashed;
        crashed.setJournalFolder(m_journals);
        crashed.setFamilyCode(4);
        for (int i = 0; i < 25; ++i) {
            live.record(at(12, 0, i), valuesFor(i));
            crashed.record(at(12, 0, i), valuesFor(i));
        }
        // What a killed process leaves: its journal without a held lock, the last line torn.
        const QString orphan = m_journals + "/run-crashed.journal";
        QVERIFY(QFile::copy(crashed.journalPath(), orphan));
        {
            QFile f(orphan);
            QVERIFY(f.open(QIODevice::Append));
            f.write("1714561234000,4000");
        }
        const QString shortRun = m_journals + "/run-short.journal";
        QVERIFY(QFile::copy(crashed.journalPath(), shortRun));
        QVERIFY(QFile::resize(shortRun, readAll(shortRun).indexOf("\n", 200) + 1));
        const QString junk = m_journals + "/run-junk.journal";
        QFile(junk).open(QIODevice::WriteOnly);

        const QVector<RecoveredRun> runs = recoverJournals(m_journals, m_data);
        QCOMPARE(runs.size(), 3); // not the live ones
        const RecoveredRun &run = runs[0];
        QCOMPARE(run.journal, orphan);
        QCOMPARE(run.rows, qint64(25));
        QCOMPARE(run.droppedLines, 1);
        QVERIFY(run.save.written());
        QVERIFY(run.save.path.endsWith("/LoadData_2024_05_01_13_002.csv")); // the counter goes on
        const QList<QByteArray> lines = readAll(run.save.path).split('\n');
        QCOMPARE(lines.size(), 4 + 25 + 1);
        QCOMPARE(lines[4], QByteArray("2024-05-01_12:00:00,0.250000,-0.500000,3.000000,4.000,5.000,"
                                      "6.000,25.000,30.0"));
        QVERIFY(lines[28].startsWith("2024-05-01_12:00:24,24.250000,"));
        QCOMPARE(runs[1].journal, junk); // named, so the notice can say what was not recovered
        QCOMPARE(runs[1].damagedCopy, junk + ".damaged");
        QCOMPARE(runs[1].save.result, SaveOutcome::Result::Failed);
        QCOMPARE(runs[2].journal, shortRun);
        QCOMPARE(runs[2].save.result, SaveOutcome::Result::NoData); // fewer rows than a stop saves

        QStringList left = filesIn(m_journals);
        QVERIFY(left.contains("run-junk.journal.damaged"));
        left.removeAll("run-junk.journal.damaged");
        QCOMPARE(left.size(), 4); // the two live journals and their locks
        QVERIFY(left.contains(QFileInfo(live.journalPath()).fileName()));
    }

    // A damaged first line loses no row: the rows' width tells the family (eight values for the
    // NV05 family, ten for the HK07 family), and the recovered file is laid out by it.
    void damagedHeaderRecovered_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QByteArray>("firstLine"); // replaces the header line; empty: cut off
        QTest::newRow("HK07, garbled") << 1 << QByteArray("usb-tester jo\x01rnal 1 fam");
        QTest::newRow("NV05, garbled") << 4 << QByteArray(8, '\0');
        QTest::newRow("NV05, header gone") << 4 << QByteArray();
    }
    void damagedHeaderRecovered()
    {
        QFETCH(int, family);
        QFETCH(QByteArray, firstLine);
        const QString journals =
            m_dir.file(QStringLiteral("damaged-%1").arg(QTest::currentDataTag()));
        QString path;
        {
            Recorder crashed;
            crashed.setJournalFolder(journals);
            crashed.setFamilyCode(quint8(family));
            for (int i = 0; i < 12; ++i)
                crashed.record(at(12, 0, i), valuesFor(i));
            path = journals + "/run-damaged.journal";
            QVERIFY(QFile::copy(crashed.journalPath(), path));
            crashed.saveRun(m_data); // its own journal goes
        }
        QByteArray bytes = readAll(path);
        bytes = (firstLine.isEmpty() ? QByteArray() : firstLine + '\n') +
                bytes.mid(bytes.indexOf('\n') + 1);
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();

        const QVector<RecoveredRun> runs = recoverJournals(journals, m_data);
        QCOMPARE(runs.size(), 1);
        QVERIFY(runs[0].headerDamaged);
        QCOMPARE(runs[0].rows, qint64(12));
        QCOMPARE(runs[0].droppedLines, firstLine.isEmpty() ? 0 : 1);
        QVERIFY(runs[0].save.written());
        const QList<QByteArray> lines = readAll(runs[0].save.path).split('\n');
        QCOMPARE(lines.size(), 4 + 12 + 1);
        QVERIFY(lines[1].contains(family == 1 ? "HK07" : "NV05"));
        QCOMPARE(lines[15].count(','), family == 1 ? 10 : 8);
        QVERIFY(filesIn(journals).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRecordJournal)
#include "tst_record_journal.moc"
