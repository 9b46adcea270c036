#include "review/run_file.h"

#include "record/csv_format.h"

#include <QTextCodec>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace review {

namespace {

constexpr int kTimeChars = 19; // yyyy-MM-dd_hh:mm:ss
constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

std::vector<std::string> headerLines(quint8 family)
{
    std::vector<std::string> lines;
    const QByteArray block = csv::headerBlock(family);
    for (const QByteArray &line : block.split('\n'))
        if (!line.isEmpty())
            lines.emplace_back(line.constData(), size_t(line.size()));
    return lines;
}

const std::vector<std::string> &familyHeader(quint8 family)
{
    static const std::vector<std::string> hk07 = headerLines(proto::Hk07Family);
    static const std::vector<std::string> nv05 = headerLines(proto::Nv05Family);
    return family == proto::Nv05Family ? nv05 : hk07;
}

bool equals(const char *begin, const char *end, const std::string &text)
{
    return size_t(end - begin) == text.size() && std::memcmp(begin, text.data(), text.size()) == 0;
}

// The family whose header block starts with this line, or 0.
quint8 bannerFamily(const char *begin, const char *end)
{
    for (quint8 family : {proto::Hk07Family, proto::Nv05Family})
        if (equals(begin, end, familyHeader(family).front()))
            return family;
    return 0;
}

bool validUtf8(const char *begin, const char *end)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(begin, int(end - begin), &state);
    return state.invalidChars == 0;
}

bool hasHighBytes(const char *begin, const char *end)
{
    for (const char *p = begin; p < end; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80)
            return true;
    return false;
}

int digits(const char *p, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        value = value * 10 + (p[i] - '0');
    }
    return value;
}

qint64 daysFromCivil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

// "yyyy-MM-dd_hh:mm:ss" → seconds since 1970 of that wall-clock text.
bool parseTime(const char *p, qint64 *secs)
{
    if (p[4] != '-' || p[7] != '-' || p[10] != '_' || p[13] != ':' || p[16] != ':')
        return false;
    const int year = digits(p, 4), month = digits(p + 5, 2), day = digits(p + 8, 2);
    const int hour = digits(p + 11, 2), minute = digits(p + 14, 2), second = digits(p + 17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return false;
    static const int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kMonthDays[month - 1] || (month == 2 && day == 29 && !leap))
        return false;
    *secs = daysFromCivil(year, unsigned(month), unsigned(day)) * 86400 + hour * 3600 +
            minute * 60 + second;
    return true;
}

// A fixed-point number as the writer formats it, -?digits(.digits)?, from p up to the first
// character that cannot continue it. Returns that character's position, or nullptr.
const char *scanNumber(const char *p, const char *end, float *out)
{
    const char *begin = p;
    const bool negative = p < end && *p == '-';
    p += negative;
    quint64 mantissa = 0;
    int intDigits = 0, fracDigits = 0;
    for (; p < end && quint8(*p - '0') < 10; ++p, ++intDigits)
        mantissa = mantissa * 10 + quint64(*p - '0');
    if (p < end && *p == '.') {
        for (++p; p < end && quint8(*p - '0') < 10; ++p, ++fracDigits)
            mantissa = mantissa * 10 + quint64(*p - '0');
        if (fracDigits == 0)
            return nullptr;
    }
    if (intDigits == 0)
        return nullptr;
    if (intDigits + fracDigits <= 18 && fracDigits <= 9) {
        const double v = double(mantissa) / kPow10[fracDigits];
        *out = float(negative ? -v : v);
        return p;
    }
    // Rare very long numbers: the library's exact conversion.
    const auto result = std::from_chars(begin, p, *out, std::chars_format::fixed);
    return result.ec == std::errc() && result.ptr == p && std::isfinite(*out) ? p : nullptr;
}

} // namespace

void toCommonUnits(quint8 family, proto::SampleValues &values)
{
    for (int i = 0; i < proto::kQuantityCount; ++i)
        values[size_t(i)] = float(proto::toBaseUnit(proto::Quantity(i), family, values[size_t(i)]));
}

bool RecordedRun::has(proto::Quantity q) const
{
    return proto::reports(q, familyCode);
}

CsvRunParser::CsvRunParser(const QString &source, int maxRuns)
    : m_source(source), m_maxRuns(maxRuns)
{
}

bool CsvRunParser::fail(ReadProblem problem, int expected, int found)
{
    if (m_error.problem == ReadProblem::None) {
        m_error.problem = problem;
        m_error.line = m_lineNo;
        m_error.expected = expected;
        m_error.found = found;
        m_runs.clear();
    }
    return false;
}

bool CsvRunParser::feed(const char *data, size_t size)
{
    if (m_error.problem != ReadProblem::None)
        return false;
    m_sawBytes = m_sawBytes || size > 0;
    const char *end = data + size;
    const char *p = data;
    if (!m_carry.empty()) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', size));
        const size_t take = nl ? size_t(nl - p) : size;
        if (m_carry.size() + take > size_t(kMaxLineBytes)) {
            ++m_lineNo;
            return fail(ReadProblem::LineTooLong);
        }
        m_carry.append(p, take);
        if (!nl)
            return true;
        p = nl + 1;
        const std::string whole = std::move(m_carry);
        m_carry.clear();
        if (!line(whole.data(), whole.data() + whole.size()))
            return false;
    }
    while (p < end) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        if (!nl) {
            if (end - p > kMaxLineBytes) {
                ++m_lineNo;
                return fail(ReadProblem::LineTooLong);
            }
            m_carry.assign(p, size_t(end - p));
            return true;
        }
        if (!line(p, nl))
            return false;
        p = nl + 1;
    }
    return true;
}

bool CsvRunParser::line(const char *begin, const char *end)
{
    ++m_lineNo;
    if (end - begin > kMaxLineBytes)
        return fail(ReadProblem::LineTooLong);
    if (end > begin && end[-1] == '\r') // written on Windows
        --end;
    if (m_family == 0 || m_headerLine < m_header.size())
        return headerLine(begin, end);
    if (const quint8 family = bannerFamily(begin, end)) {
        // Another file's header block: the rows after it are a run of their own.
        m_family = family;
        m_header = familyHeader(family);
        m_headerLine = 1;
        return true;
    }
    return dataRow(begin, end);
}

bool CsvRunParser::headerLine(const char *begin, const char *end)
{
    if (m_family == 0) {
        m_family = bannerFamily(begin, end);
        if (m_family == 0)
            return fail(validUtf8(begin, end) ? ReadProblem::NotDataFile : ReadProblem::NotUtf8);
        m_header = familyHeader(m_family);
        m_headerLine = 1;
        return true;
    }
    if (!equals(begin, end, m_header[m_headerLine]))
        return fail(validUtf8(begin, end) ? ReadProblem::BrokenHeader : ReadProblem::NotUtf8);
    if (++m_headerLine == m_header.size())
        m_lastSecs = -1; // the next row starts a run
    return true;
}

bool CsvRunParser::dataRow(const char *begin, const char *end)
{
    // One pass over the row; a row that does not parse is looked at again to say why.
    const int columns = proto::fileColumnCount(m_family);
    qint64 secs = 0;
    proto::SampleValues values{};
    bool ok = end - begin > kTimeChars && begin[kTimeChars] == ',' && parseTime(begin, &secs);
    const char *cell = begin + kTimeChars + 1;
    for (int c = 0; ok && c < columns; ++c) {
        const char *stop = scanNumber(cell, end, &values[size_t(proto::kFileColumns[size_t(c)].quantity)]);
        ok = stop && (c + 1 < columns ? stop < end && *stop == ',' : stop == end);
        if (ok)
            cell = stop + 1;
    }
    if (!ok)
        return badRow(begin, end);
    toCommonUnits(m_family, values);

    // A header, or time running backwards (an export appended to an existing file), starts a run.
    if (m_lastSecs < 0 || secs < m_lastSecs) {
        if (int(m_runs.size()) >= m_maxRuns) {
            // Stops here, keeping the runs read: memory stays in proportion to the rows read.
            m_error.problem = ReadProblem::TooManyRuns;
            m_error.line = m_lineNo;
            m_error.expected = m_maxRuns;
            return false;
        }
        RecordedRun run;
        run.source = m_source;
        run.part = int(m_runs.size()) + 1;
        run.familyCode = m_family;
        run.startMs = secs * 1000;
        m_runs.push_back(std::move(run));
        m_startSecs = secs;
    }
    RecordedRun &run = m_runs.back();
    if (run.familyCode != m_family)
        return fail(ReadProblem::BrokenHeader);
    run.rows.append((secs - m_startSecs) * 1000, values);
    m_lastSecs = secs;
    return true;
}

bool CsvRunParser::badRow(const char *begin, const char *end)
{
    if (hasHighBytes(begin, end) && !validUtf8(begin, end))
        return fail(ReadProblem::NotUtf8);
    const int expected = 1 + proto::fileColumnCount(m_family);
    const int cells = 1 + int(std::count(begin, end, ','));
    if (cells != expected)
        return fail(ReadProblem::ColumnCount, expected, cells);
    qint64 secs = 0;
    if (end - begin <= kTimeChars || begin[kTimeChars] != ',' || !parseTime(begin, &secs))
        return fail(ReadProblem::BadTime);
    return fail(ReadProblem::BadNumber);
}

bool CsvRunParser::finish()
{
    if (m_error.problem != ReadProblem::None)
        return false;
    if (!m_sawBytes)
        return fail(ReadProblem::Empty);
    if (!m_carry.empty()) {
        ++m_lineNo;
        return fail(ReadProblem::TornLine);
    }
    if (m_headerLine < m_header.size() || m_family == 0)
        return fail(ReadProblem::BrokenHeader);
    if (m_runs.empty())
        return fail(ReadProblem::NoRows);
    return true;
}

} // namespace review
