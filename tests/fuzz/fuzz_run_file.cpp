// Feeds arbitrary bytes to the recorded-run file parser, whole and split in two pieces at a
// point the input chooses, and checks what the viewer relies on: a failure opens nothing and
// names a line the input has; a success gives runs with rows, in time order, starting at zero.

#include "tests/fuzz/fuzz_check.h"
#include "review/run_file.h"

#include <QLoggingCategory>

using namespace review;

namespace {

struct Result
{
    bool ok;
    ReadError error;
    std::vector<RecordedRun> runs;
};

Result parse(const char *data, size_t size, size_t split)
{
    CsvRunParser parser;
    bool ok = parser.feed(data, split);
    ok = ok && parser.feed(data + split, size - split);
    ok = ok && parser.finish();
    return {ok, parser.error(), parser.takeRuns()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const auto *data = reinterpret_cast<const char *>(bytes);
    const size_t split = size == 0 ? 0 : bytes[0] % (size + 1);
    const Result whole = parse(data, size, size);
    const Result pieces = parse(data, size, split);
    FUZZ_CHECK(whole.ok == pieces.ok);
    FUZZ_CHECK(whole.error.problem == pieces.error.problem);
    FUZZ_CHECK(whole.error.line == pieces.error.line);
    FUZZ_CHECK(whole.runs.size() == pieces.runs.size());
    if (!whole.ok) {
        FUZZ_CHECK(whole.runs.empty());
        FUZZ_CHECK(whole.error.problem != ReadProblem::None);
        qint64 lines = 1;
        for (size_t i = 0; i < size; ++i)
            lines += data[i] == '\n';
        FUZZ_CHECK(whole.error.line >= 0 && whole.error.line <= lines);
        return 0;
    }
    FUZZ_CHECK(!whole.runs.empty());
    for (const RecordedRun &run : whole.runs) {
        FUZZ_CHECK(run.rows.size() > 0);
        FUZZ_CHECK(run.rows.time(0) == 0);
        for (qint64 row = 1; row < run.rows.size(); ++row)
            FUZZ_CHECK(run.rows.time(row) >= run.rows.time(row - 1));
    }
    return 0;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLoggingCategory::setFilterRules("*.debug=false");
    return 0;
}
