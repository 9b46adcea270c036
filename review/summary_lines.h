#pragma once
// The summary a script reads: one line per run of each file (file, run, start time, duration,
// rows, first and last voltage, mean current, peak power, capacity, energy), as CSV under a
// header line or as JSON lines. Files are read with the viewer's reader and bounds, one at a time.

#include <QByteArray>
#include <QStringList>

#include <functional>

namespace review {

struct RunSummary;

enum class SummaryFormat
{
    Csv,
    JsonLines
};

QByteArray summaryCsvHeader();
QByteArray summaryLine(const QString &file, int run, const RunSummary &summary,
                       SummaryFormat format);

using LineSink = std::function<void(const QByteArray &line)>;
// Writes the lines of every run to out and one line per file that could not be read in full to
// problems (file, line, what is wrong). Returns the exit status: 0, or 1 after any problem.
int summariseFiles(const QStringList &paths, SummaryFormat format, const LineSink &out,
                   const LineSink &problems);

} // namespace review
