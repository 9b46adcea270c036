#pragma once
// The recorded run: one row per sample of the acquisition, kept in the sample store that the
// chart draws from. The run session clears it when a run begins and saves it when the run ends.
// Rows not yet in a data file also go to a journal on disk (journal.h), so a crash loses nothing;
// the next start turns it into a data file (journal_recovery.h). A run whose save failed is never
// dropped: a clear or the end of the program leaves its journal for the next start. A journal
// write that fails (full disk, file size limit) is tried again at every row and every few seconds
// until the journal has caught up.
//
// A row's place on the chart is its steady time shifted so that the run's first row sits at its
// wall-clock stamp: the chart's time line starts at the clock and then only moves forward.

#include "record/data_folder.h"
#include "record/sample.h"
#include "record/sample_store.h"
#include "record/data_file_saver.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <memory>

namespace proto {
struct LiveValues;
}
class Journal;

// The ten recorded quantities of a measurement, in the table's order.
proto::SampleValues sampleValuesOf(const proto::LiveValues &live);

class Recorder : public QObject
{
    Q_OBJECT
public:
    explicit Recorder(QObject *parent = nullptr);
    ~Recorder() override;

    const SampleStore &store() const { return m_store; }
    qint64 rowCount() const { return m_store.size(); }

    void record(const Sample &sample);
    // A row stamped `when` on the wall clock and now on the steady clock (tests, benchmarks).
    void record(const QDateTime &when, const proto::SampleValues &values);
    // Empties the table. Unsaved rows stay only in their journal: the caller asks
    // clearLosesNothing() first.
    void clear();
    // Writes what the journal lacks (each row, the retry timer, the end of a run); false while
    // it still lacks rows.
    bool catchUpJournal();
    static constexpr int kRetryMs = 5000;

    // Now on the rows' time line: the clock while the table is empty, else steadily on from the
    // first row, whatever the wall clock does meanwhile.
    qint64 timelineNow() const;
    // Rows that no data file holds yet.
    bool hasUnsavedRows() const { return m_savedRows < m_store.size(); }
    // Rows that no data file holds and that the journal, if any, holds (and will keep).
    qint64 journaledUnsavedRows() const;
    // True when clear() loses nothing a save would keep: the unsaved rows are too few to save,
    // or all of them are in a journal that the next start recovers.
    bool clearLosesNothing() const;

    // The family decides the journal's later data-file layout. Rows are journaled only for a
    // known family and once a journal folder is set (the program sets defaultJournalFolder()).
    void setFamilyCode(quint8 familyCode);
    quint8 familyCode() const { return m_familyCode; }
    void setJournalFolder(const QString &folder);
    QString journalPath() const; // empty while no journal is open

    // The stop step's automatic save of the whole table. Once written, the rows need no journal;
    // on failure the journal and the table stay, so "Export data" can still save them. A table
    // that is already in a data file is not written again: the answer is that file's.
    SaveOutcome saveRun(const DataFolder &folder);

    // "Export data": the whole table as a new file at path (DataFileSaver::exportCsv), replacing
    // one only with `replace`. Once written, the rows are saved like after a stop, so a run whose
    // automatic save failed leaves no journal behind.
    bool exportRun(const QString &path, quint8 familyCode, bool replace, QString *error);

    // Rows recorded since the last written save.
    qint64 unsavedRows() const;
    // For closing the window: empty when nothing worth saving is unsaved; otherwise says how many
    // rows are unsaved, how many of them the journal keeps for the next start's recovery and
    // where, and how many are lost unless exported now.
    QString unsavedRunNote() const;

signals:
    void rowRecorded(qint64 row);
    void cleared();

private:
    void dropJournal();
    // Ends the journal but leaves it on disk when it holds a run no data file has.
    void releaseJournal();

    SampleStore m_store;
    std::unique_ptr<Journal> m_journal;
    QString m_journalFolder;
    quint8 m_familyCode = 0;
    qint64 m_timelineOffset = 0; // row order = steady time + offset
    qint64 m_savedRows = 0;     // rows [0, m_savedRows) are in a data file
    SaveOutcome m_lastSave;
    qint64 m_journaledRows = 0; // rows [m_savedRows, m_journaledRows) are in the journal
    bool m_journalFailed = false;
    QTimer *m_journalRetry; // while the journal lacks rows
};
