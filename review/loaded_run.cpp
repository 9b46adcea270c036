#include "review/loaded_run.h"

#include "review/read_problem_text.h"

#include <QFileInfo>

namespace review {

LoadOutcome loadRunFiles(const QStringList &paths, int maxRuns)
{
    LoadOutcome outcome;
    for (const QString &path : paths) {
        std::vector<RecordedRun> runs;
        ReadError error;
        const int allowed = maxRuns - int(outcome.runs.size());
        if (!readRunFile(path, &runs, &error, allowed))
            outcome.problems << readProblemText(path, error);
        if (runs.empty())
            continue;
        outcome.openedFiles << path;
        const QString fileName = QFileInfo(path).fileName();
        for (RecordedRun &run : runs) {
            auto loaded = std::make_unique<LoadedRun>();
            loaded->name =
                runs.size() > 1 ? QStringLiteral("%1 #%2").arg(fileName).arg(run.part) : fileName;
            loaded->run = std::move(run);
            loaded->pyramid.sync(loaded->run.rows);
            loaded->summary = summarise(loaded->run);
            outcome.runs.push_back(std::move(loaded));
        }
    }
    return outcome;
}

} // namespace review
