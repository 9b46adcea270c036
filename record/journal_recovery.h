#pragma once
// At start-up: the journals of runs whose program died (crash, kill, power cut) become normal
// data files, named and laid out as a stop would have written them.

#include "record/data_folder.h"
#include "record/data_file_saver.h"

#include <QVector>

struct RecoveredRun
{
    QString journal;
    qint64 rows = 0;
    int droppedLines = 0; // a torn last line, or damaged ones (a damaged header among them)
    bool headerDamaged = false; // the family was told by the rows' width
    QString damagedCopy;  // a journal without a single readable row, renamed to this
    SaveOutcome save;     // NoData: fewer rows than a stop would save; the journal is gone too
};

// Every journal in journalFolder that no running instance holds. Safe to repeat after a crash at
// any point: a journal whose save had already renamed its data file into place (the file that
// the journal noted, with the bytes it noted) is only removed. A journal whose data file could not
// be written stays for the next start; one without a readable row is renamed "*.damaged".
QVector<RecoveredRun> recoverJournals(const QString &journalFolder, const DataFolder &dataFolder);
