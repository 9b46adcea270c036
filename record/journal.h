#pragma once
// The crash-safe copy of the rows a run has not yet saved. Each row reaches the file with one
// write as it is recorded (so a crash or kill loses nothing the program had recorded) and a helper
// thread forces the file to disk every two seconds (so a power cut loses at most that much). A
// lock file beside it marks the journal as in use: two running instances never share one, and
// the next start recovers only journals whose owner is gone (journal_recovery.h).

#include "record/sample_store.h"

#include <QString>

#include <memory>

class QFile;
class QLockFile;

class Journal
{
public:
    static constexpr int kSyncIntervalMs = 2000;

    Journal();
    ~Journal(); // removes the journal; its owner calls keep() first for rows not yet saved
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // A new journal file "run-<time>-<pid>.journal" in folder (created if missing).
    bool open(const QString &folder, quint8 familyCode, QString *error);
    QString filePath() const { return m_path; }

    // False when the row could not be written in full; the file is then cut back to its last
    // complete line, so a later retry of the same row loses nothing.
    bool append(qint64 msecsSinceEpoch, const proto::SampleValues &values);

    // Closes and deletes the journal (syncing its folder) and releases its lock.
    void remove();
    // Syncs and closes the journal and releases its lock, leaving the file for the next start's
    // recovery: for rows that no data file holds yet.
    void keep();

private:
    class Syncer;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QFile> m_file;
    std::unique_ptr<Syncer> m_syncer;
    qint64 m_completeBytes = 0; // the header and every row written in full
    int m_valueCount = proto::kQuantityCount; // values per row: the family's
};

// What a journal file holds. A torn last line (no line end) or a damaged line is dropped, never
// half-read. A damaged first line loses nothing else: the family is then the one whose width the
// rows have (readJournal fails only when no row is left).
struct JournalContent
{
    quint8 familyCode = 0;
    SampleStore rows;
    int droppedLines = 0;
    QString savingTo;     // the data file the last save of these rows was about to take, if any
    QString savingDigest; // and the digest of its bytes (ContentDigest); empty in older journals
    bool headerDamaged = false; // the family was told by the rows' width
};
bool readJournal(const QString &path, JournalContent *content, QString *error);

// Notes in the journal, on disk, that a save of its rows is about to take dataFile, whose bytes
// have the digest `digest`.
bool noteSaving(const QString &journalPath, const QString &dataFile, const QString &digest,
                QString *error);

// Where the program keeps its journals: "journal" in the user's own data location.
QString defaultJournalFolder();
