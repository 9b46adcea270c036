#include "review/loaded_run.h"

#include "review/read_problem_text.h"

#include <QFileInfo>

namespace review {

LoadOutcome loadRunFiles(const QStringList &paths)
{
    LoadOutcome outcome;
    for (const QString &path : paths) {
        std::vector<RecordedRun> runs;
        ReadError error;
        if (!readRunFile(path, &runs, &error)) {
            outcome.problems << readProblemText(path, error);
            continue;
        }
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
