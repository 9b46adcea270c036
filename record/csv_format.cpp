#include "record/csv_format.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cmath>

namespace csv {

namespace {


constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr quint64 kPow10Int[] = {1,      10,      100,      1000,      10000,
                                 100000, 1000000, 10000000, 100000000, 1000000000};

// Digits of n, most significant first.
void appendUnsigned(std::string &out, quint64 n)
{
    char digits[20];
    int count = 0;
    do {
        digits[count++] = char('0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (count > 0)
        out.push_back(digits[--count]);
}

void appendPadded(std::string &out, unsigned value, int width)
{
    char digits[10];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = char('0' + value % 10);
        value /= 10;
    }
    out.append(digits, size_t(width));
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(qint64 days, qint64 &year, unsigned &month, unsigned &day)
{
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = unsigned(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = qint64(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

std::string translated(const char *text)
{
    return QCoreApplication::translate("QObject", text).toUtf8().toStdString();
}

} // namespace

void appendFixed(std::string &out, float value, int decimals)
{
    decimals = qBound(0, decimals, 9);
    const double v = value;
    // A float times a power of ten up to 1e9 is exact in a double, so the rounding below sees the
    // true value; beyond 2^53 (or for NaN and infinity) Qt's own conversion takes over.
    const double scaled = std::fabs(v) * kPow10[decimals];
    if (!(scaled < 9007199254740992.0)) {
        const QByteArray text = QByteArray::number(v, 'f', decimals);
        out.append(text.constData(), size_t(text.size()));
        return;
    }
    quint64 n = quint64(scaled);
    if (scaled - double(n) >= 0.5)
        ++n;
    if (v < 0)
        out.push_back('-');
    appendUnsigned(out, n / kPow10Int[decimals]);
    if (decimals > 0) {
        out.push_back('.');
        appendPadded(out, unsigned(n % kPow10Int[decimals]), decimals);
    }
}

void LocalTimeText::append(std::string &out, qint64 msecsSinceEpoch)
{
    const qint64 secs = floorDiv(msecsSinceEpoch, 1000);
    // Zone offsets change only at quarter hours of UTC.
    if (secs < m_blockStart || secs >= m_blockEnd) {
        m_blockStart = floorDiv(secs, 900) * 900;
        m_blockEnd = m_blockStart + 900;
        m_offsetSecs = QDateTime::fromSecsSinceEpoch(secs, Qt::LocalTime).offsetFromUtc();
    }
    const qint64 local = secs + m_offsetSecs;
    const qint64 days = floorDiv(local, 86400);
    const unsigned secOfDay = unsigned(local - days * 86400);
    qint64 year;
    unsigned month, day;
    civilFromDays(days, year, month, day);
    if (year < 0 || year > 9999) {
        const QByteArray text = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::LocalTime)
                                    .toString("yyyy-MM-dd_hh:mm:ss")
                                    .toUtf8();
        out.append(text.constData(), size_t(text.size()));
        return;
    }
    appendPadded(out, unsigned(year), 4);
    out.push_back('-');
    appendPadded(out, month, 2);
    out.push_back('-');
    appendPadded(out, day, 2);
    out.push_back('_');
    appendPadded(out, secOfDay / 3600, 2);
    out.push_back(':');
    appendPadded(out, secOfDay / 60 % 60, 2);
    out.push_back(':');
    appendPadded(out, secOfDay % 60, 2);
}

QByteArray headerBlock(quint8 familyCode)
{
    static const char *const hk07Banner[] = {
        "----------------(Vontari负载测试仪)TALMIR LOAD_Tester Software----------------\n",
        "------------------HK07/MR310/MR820/MR470-------------------\n",
        "----------------(Vontari负载测试仪)TALMIR LOAD_Tester Software----------------\n",
    };
    static const char *const nv05Banner[] = {
        "----------------(Vontari电能测试仪)TALMIR POWER_Tester Software----------------\n",
        "-----------------------NV05/NV15/NV17-----------------------\n",
        "----------------(Vontari电能测试仪)TALMIR POWER_Tester Software----------------\n",
    };
    if (!proto::knownFamily(familyCode))
        return {};
    const bool nv05 = familyCode == proto::Nv05Family;
    QString text;
    for (const char *piece : nv05 ? nv05Banner : hk07Banner)
        text += QCoreApplication::translate("QObject", piece);
    text += QCoreApplication::translate("QObject", "(时间)DATE,");
    for (int c = 0; c < proto::fileColumnCount(familyCode); ++c) {
        const proto::FileColumn &column = proto::kFileColumns[size_t(c)];
        text += QCoreApplication::translate("QObject", nv05 ? column.nv05Header : column.hk07Header);
    }
    return text.toUtf8();
}

RowFormat::RowFormat(quint8 familyCode)
    : m_family(familyCode), m_separator(translated(",")), m_lineEnd(translated("\n"))
{
}

void RowFormat::append(std::string &out, qint64 msecsSinceEpoch, const proto::SampleValues &values)
{
    m_time.append(out, msecsSinceEpoch);
    for (int c = 0; c < proto::fileColumnCount(m_family); ++c) {
        const proto::FileColumn &column = proto::kFileColumns[size_t(c)];
        out += m_separator;
        appendFixed(out, values[size_t(column.quantity)], column.decimals);
    }
    out += m_lineEnd;
}

} // namespace csv
