#pragma once
// Reading recorded runs back: the data files of both families (header block, rows, runs appended
// to the same file) and the journals of runs whose program died. All or nothing: a file with
// one bad line opens no run at all, and the problem names the line. The one exception is a file
// with more runs than may be read: its first runs open, and the problem names the line where
// reading stopped. So memory follows the file's size, however its rows are laid out.

#include "record/sample_store.h"

#include <QString>

#include <string>
#include <vector>

namespace review {

// Runs read at most, from one file or from all files the viewer compares.
constexpr int kMaxRuns = 8;

// One run as read back. Values are in one set of units whatever the family wrote: V, A, W,
// ohm, Wh, mAh, degrees C, rpm (the NV05 family's kWh and Ah are scaled on reading).
struct RecordedRun
{
    QString source;        // the file it came from
    int part = 1;          // 1, 2, … for runs appended to one file
    quint8 familyCode = 0; // proto::Hk07Family or proto::Nv05Family
    qint64 startMs = 0;    // the first row's wall-clock time, as UTC milliseconds of its text
    SampleStore rows; // times are elapsed milliseconds since the first row

    bool has(proto::Quantity q) const; // the NV05 family records neither MOS temperature nor fan speed
};

enum class ReadProblem
{
    None,
    CannotOpen,
    Empty,
    NotUtf8,
    NotDataFile,  // first line is not one of our header blocks (another program's CSV, not CSV)
    BrokenHeader, // a header block that stops or differs part way
    ColumnCount,
    BadTime,
    BadNumber,
    LineTooLong,
    TornLine, // the last line has no line end
    NoRows,
    TooManyRuns, // the runs before the line were read (ReadError::expected: the most allowed)
    Changed, // the file changed while it was read
    BadJournal,
};

struct ReadError
{
    ReadProblem problem = ReadProblem::None;
    qint64 line = 0;  // 1-based; 0 when the problem is the whole file
    int expected = 0; // ColumnCount: cells a row of the family has; TooManyRuns: runs allowed
    int found = 0;    // ColumnCount: cells the line has
};

// Longest line a data file of ours can hold; anything longer is damage, not data.
constexpr int kMaxLineBytes = 512;

// Parses a data file's bytes as they arrive, in pieces of any size.
class CsvRunParser
{
public:
    explicit CsvRunParser(const QString &source = QString(), int maxRuns = kMaxRuns);
    // false once a problem was found; error() says which.
    bool feed(const char *data, size_t size);
    bool finish();
    const ReadError &error() const { return m_error; }
    std::vector<RecordedRun> takeRuns() { return std::move(m_runs); }

private:
    bool line(const char *begin, const char *end);
    bool headerLine(const char *begin, const char *end);
    bool dataRow(const char *begin, const char *end);
    bool badRow(const char *begin, const char *end);
    bool fail(ReadProblem problem, int expected = 0, int found = 0);

    QString m_source;
    int m_maxRuns;
    std::string m_carry; // the unfinished line of the previous piece
    std::vector<RecordedRun> m_runs;
    std::vector<std::string> m_header; // the expected lines of the header block being read
    size_t m_headerLine = 0;           // next expected header line; m_header.size() = in rows
    quint8 m_family = 0;
    qint64 m_lineNo = 0;
    qint64 m_lastSecs = 0;
    qint64 m_startSecs = 0;
    bool m_sawBytes = false;
    ReadError m_error;
};

// The NV05 family counts kWh and Ah; the viewer compares in Wh and mAh.
void toCommonUnits(quint8 familyCode, proto::SampleValues &values);

// Reads a data file or (by its ".journal" suffix) a journal, at most maxRuns runs of it. On
// failure runs is left empty, except after TooManyRuns: then it holds the runs before the line.
bool readRunFile(const QString &path, std::vector<RecordedRun> *runs, ReadError *error,
                 int maxRuns = kMaxRuns);

} // namespace review
