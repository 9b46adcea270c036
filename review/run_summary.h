#pragma once
// What one reopened run amounts to: the figures people otherwise read off in a spreadsheet,
// with the instrument's own energy count beside one integrated from voltage × current.

#include "review/run_file.h"

#include <QStringList>
#include <QVector>

namespace review {

// A row missing for longer than this is a gap in the time series.
constexpr qint64 kGapMs = 3000;

struct RunSummary
{
    qint64 startMs = 0;    // wall-clock text of the first row as UTC milliseconds
    qint64 durationMs = 0; // first to last row
    qint64 samples = 0;
    quint8 familyCode = 0;
    float firstVoltage = 0, lastVoltage = 0, minVoltage = 0, maxVoltage = 0;
    double meanCurrent = 0;
    double meanPower = 0;
    float peakPower = 0;
    float capacityMah = 0;   // the last row's count
    float energyWh = 0;      // the last row's count
    double integratedWh = 0; // trapezoids of voltage × current over the rows' times
    float maxCpuTemp = 0, maxNtcTemp = 0, maxMosTemp = 0;
    bool hasMosTemp = true;
    int gaps = 0;     // intervals between rows longer than kGapMs
    qint64 gapMs = 0; // time those intervals span
};

RunSummary summarise(const RecordedRun &run);

// The summary as a table: one row per figure, a first column of captions, one column per run.
// Texts pass through the translation table (context "review::SummaryTable").
QStringList summaryCaptions();
QStringList summaryColumn(const RunSummary &summary);

// "3:25:07" or "2 d 03:25:07" for elapsed milliseconds (whole seconds).
QString elapsedText(qint64 ms);

// A CSV cell: the text in UTF-8, quoted when it holds ',', '"' or a line end.
QByteArray csvCell(const QString &text);

// The table as CSV: a header of run names, then one line per figure. Cells with ',' or '"' are
// quoted.
QByteArray summaryCsv(const QStringList &runNames, const QVector<RunSummary> &summaries);

} // namespace review
