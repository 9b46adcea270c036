#pragma once
// Writes a recorded run to a CSV data file: the automatic save when a run stops (an hourly
// numbered file in the data folder) and the writer behind "Export data". Made on the stack for
// each save. Unlike a silent writer, it says when a save did not happen and why.

#include "record/data_folder.h"
#include "record/sample_store.h"

#include <QObject>

struct SaveOutcome
{
    enum class Result
    {
        Written,
        NoData,
        Failed
    };
    Result result = Result::NoData;
    QString path;   // the file written, or the file or folder the save tried
    QString reason; // why it failed, for the log

    bool written() const { return result == Result::Written; }
    // What label_left_tips shows: "Data_Path:" and the path or "No data.", or the failure.
    QString labelText() const;
};

class DataFileSaver : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kMinimumRows = 10;

    explicit DataFileSaver(DataFolder folder = {}, QObject *parent = nullptr);

    // Fewer than ten rows: NoData and nothing written or counted. Otherwise the next free
    // "LoadData_<yyyy_MM_dd_hh>_<counter>.csv" in the data folder, never an existing file: the
    // rows go to a hidden temporary file, which is synced and then renamed to the first number
    // not taken (by any instance) from the hour's counter on; the folder is synced last. With a
    // journal, the journal first notes the name it is about to take and the digest of the bytes
    // written, so that a recovery after a crash between the rename and the journal's removal
    // finds the file instead of writing a second one (recoverJournals).
    SaveOutcome autoSave(const SampleStore &table, quint8 familyCode,
                         const QString &journalPath = QString());

    // "Export data": the family's header block and the table as a new file at path, written as
    // a save writes (a temporary file beside it, synced, renamed into place, the folder synced),
    // so a failure leaves whatever path held untouched. An existing file is replaced only with
    // `replace` (the user agreed to it); without, a file that appeared meanwhile stays and the
    // export fails. False, with the reason, when anything fails or the family is unknown.
    bool exportCsv(const SampleStore &table, const QString &path, quint8 familyCode, bool replace,
                   QString *error = nullptr);

    // True when path holds exactly the file a save of the table writes (header and all rows)
    // in the time zone of now: for notes of older journals, which have no digest.
    static bool holdsRun(const SampleStore &table, quint8 familyCode, const QString &path);

private:
    DataFolder m_folder;
};
