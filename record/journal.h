#pragma once
// The crash-safe copy of the rows a run has not yet saved. Each row reaches the file with one
// write as it is recorded (so a crash or kill loses nothing the program had recorded) and a helper
// thread forces the file to disk every two seconds (so a power cut loses at most that much). A
// lock file beside it marks the journal as in use: two running instances never share one, and
// the next start recovers only journals whose owner is gone (journal_recovery.h).

#include "sample_store.h"

#include <QString>

#include <memory>

class QFile;
class QLockFile;

class Journal
{
public:
    static constexpr int kSyncIntervalMs = 2000;

    Journal();
    ~Journal(); // removes the journal: a run that ends normally has no use for it
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // A new journal file "run-<time>-<pid>.journal" in folder (created if missing).
    bool open(const QString &folder, quint8 familyCode, QString *error);
    QString filePath() const { return m_path; }

    bool append(qint64 msecsSinceEpoch, const SampleValues &values);

    // Closes and deletes the journal and releases its lock.
    void remove();

private:
    class Syncer;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QFile> m_file;
    std::unique_ptr<Syncer> m_syncer;
};

// What a journal file holds. A torn last line (no line end) or a damaged line is dropped, never
// half-read.
struct JournalContent
{
    quint8 familyCode = 0;
    SampleStore rows;
    int droppedLines = 0;
};
bool readJournal(const QString &path, JournalContent *content, QString *error);

// Where the program keeps its journals: "journal" in the user's own data location.
QString defaultJournalFolder();
