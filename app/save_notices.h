#pragma once
// Where the main dialog tells how a save went. Exports of the chart menu (CSV and picture) are
// told alike on the status line, and the newest export's outcome replaces an older one. Runs
// recovered at start-up are told on the status line and, because the program starts on the home
// page, in a box over the window as well; so is a data folder other than the one beside the
// program.

#include "record/journal_recovery.h"
#include "record/data_file_saver.h"

#include <QVector>

class QWidget;
namespace acquire {
class InstrumentCore;
}
namespace ui {
class StatusLine;
}

// A cancelled file choice (no path) leaves the status line as it is. laterRuns: the data folder
// later runs now go to, when the export changed it.
void showExportOutcome(ui::StatusLine &statusLine, const SaveOutcome &outcome,
                       const QString &laterRuns = QString());

void announceRecoveredRuns(QWidget *window, ui::StatusLine &statusLine,
                           const QVector<RecoveredRun> &runs);

// At start-up: the data folder told on the status line when it is not the one beside the
// program, and the runs an earlier crash left recovered and announced.
void prepareRecording(QWidget *window, acquire::InstrumentCore &core, ui::StatusLine &statusLine);
