// Reading a run file from disk: a data file through the parser, a journal through the
// recorder's own reader; a file that changes while it is read opens nothing.

#include "review/run_file.h"

#include "record/csv_format.h"
#include "record/journal.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace review {

namespace {

bool readJournalRuns(const QString &path, std::vector<RecordedRun> *runs, ReadError *error)
{
    JournalContent content;
    QString why;
    if (!readJournal(path, &content, &why) || !proto::knownFamily(content.familyCode)) {
        error->problem = ReadProblem::BadJournal;
        return false;
    }
    if (content.rows.isEmpty()) {
        error->problem = ReadProblem::NoRows;
        return false;
    }
    RecordedRun run;
    run.source = path;
    run.familyCode = content.familyCode;
    const qint64 first = content.rows.time(0);
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(first);
    run.startMs = first + qint64(start.offsetFromUtc()) * 1000;
    for (qint64 row = 0; row < content.rows.size(); ++row) {
        const qint64 elapsed = content.rows.time(row) - first;
        if (elapsed < 0) {
            error->problem = ReadProblem::BadJournal;
            error->line = row + 2; // after the journal's own header line
            return false;
        }
        proto::SampleValues values = content.rows.row(row);
        toCommonUnits(run.familyCode, values);
        run.rows.append(elapsed, values);
    }
    runs->push_back(std::move(run));
    return true;
}

struct FileStamp
{
    qint64 size;
    QDateTime modified;
    bool operator==(const FileStamp &o) const { return size == o.size && modified == o.modified; }
};

FileStamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    return {info.size(), info.lastModified()};
}

} // namespace

bool readRunFile(const QString &path, std::vector<RecordedRun> *runs, ReadError *error,
                 int maxRuns)
{
    runs->clear();
    *error = ReadError();
    if (maxRuns < 1) {
        error->problem = ReadProblem::TooManyRuns; // the runs already open fill the allowance
        error->expected = kMaxRuns;
        return false;
    }
    if (path.endsWith(QLatin1String(".journal")))
        return readJournalRuns(path, runs, error);

    const FileStamp before = stampOf(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error->problem = ReadProblem::CannotOpen;
        return false;
    }
    CsvRunParser parser(path, maxRuns);
    std::vector<char> buffer(size_t(1) << 18);
    qint64 total = 0;
    for (;;) {
        const qint64 n = file.read(buffer.data(), qint64(buffer.size()));
        if (n < 0) {
            error->problem = ReadProblem::CannotOpen;
            return false;
        }
        if (n == 0)
            break;
        total += n;
        if (!parser.feed(buffer.data(), size_t(n))) {
            *error = parser.error();
            if (error->problem == ReadProblem::TooManyRuns)
                *runs = parser.takeRuns();
            return false;
        }
    }
    if (!(stampOf(path) == before) || total != before.size) {
        error->problem = ReadProblem::Changed;
        return false;
    }
    if (!parser.finish()) {
        *error = parser.error();
        return false;
    }
    *runs = parser.takeRuns();
    return true;
}

} // namespace review
