#pragma once
// A run as the viewer holds it: the rows, their min/max pyramid for the chart, the summary and
// the name its legend and table show. Built off the GUI thread, then only read.

#include "chart/minmax_pyramid.h"
#include "review/run_summary.h"

#include <QString>

#include <memory>
#include <vector>

namespace review {

struct LoadedRun
{
    RecordedRun run;
    MinMaxPyramid pyramid;
    RunSummary summary;
    QString name;
};
using LoadedRuns = std::vector<std::unique_ptr<LoadedRun>>;

// What reading a list of files gave: the runs of every file that read cleanly, and one message
// per file that did not. At most maxRuns runs are read in all; the files or rows past them are
// not read, and a message names where reading stopped.
struct LoadOutcome
{
    LoadedRuns runs;
    QStringList problems;
    QStringList openedFiles;
};
LoadOutcome loadRunFiles(const QStringList &paths, int maxRuns = kMaxRuns);

} // namespace review
