// Reading recorded runs back: good files of both families and their variants, every kind of bad
// input in one table (nothing opens, the line is named), and the summary's figures.

#include "record/csv_format.h"
#include "review/elapsed_axis.h"
#include "record/journal.h"
#include "review/run_file.h"
#include "review/loaded_run.h"
#include "review/run_chart.h"
#include "review/run_summary.h"
#include "review/summary_lines.h"

#include "../../support/curve_pixels.h"
#include "../../support/temp_workdir.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QCategoryAxis>
#include <QChartView>
#include <QLineSeries>
#include <QtTest>

#include <cmath>

using namespace review;

Q_DECLARE_METATYPE(review::ReadProblem)

namespace {

const qint64 kStart = QDateTime(QDate(2026, 3, 1), QTime(8, 0, 0)).toMSecsSinceEpoch();

proto::SampleValues valuesAt(int i)
{
    // voltage, current, power, resistance, energy, capacity, cpu, ntc, mos, fan
    const float v = 4.2f - 0.001f * float(i);
    return {v,
            1.5f,
            v * 1.5f,
            v / 1.5f,
            0.01f * float(i),
            2.0f * float(i),
            30.0f + float(i % 7),
            25.0f,
            28.0f + float(i % 3),
            1200.0f};
}

// A data file as the program writes it: header block, then one row per second (or at the given
// offsets in seconds).
QByteArray dataFile(quint8 family, const QVector<int> &seconds, bool header = true)
{
    std::string rows;
    csv::RowFormat format(family);
    for (int i = 0; i < seconds.size(); ++i)
        format.append(rows, kStart + seconds[i] * 1000LL, valuesAt(i));
    return (header ? csv::headerBlock(family) : QByteArray()) + QByteArray::fromStdString(rows);
}

QVector<int> everySecond(int rows, int from = 0)
{
    QVector<int> s;
    for (int i = 0; i < rows; ++i)
        s << from + i;
    return s;
}

bool parse(const QByteArray &bytes, std::vector<RecordedRun> *runs, ReadError *error,
           size_t piece = 0)
{
    CsvRunParser parser("file.csv");
    bool ok = true;
    if (piece == 0)
        piece = size_t(qMax(1, bytes.size()));
    for (int at = 0; ok && at < bytes.size(); at += int(piece))
        ok = parser.feed(bytes.constData() + at, qMin(piece, size_t(bytes.size() - at)));
    ok = ok && parser.finish();
    *error = parser.error();
    *runs = parser.takeRuns();
    return ok;
}

} // namespace

class TestRunFiles : public QObject
{
    Q_OBJECT
    TempWorkDir m_dir;

private slots:
    void goodFiles_data();
    void goodFiles();
    void badInput_data();
    void badInput();
    void journalAndFileOnDisk();
    void summaryFigures();
    void elapsedLabels();
    void memoryFollowsRows_data();
    void memoryFollowsRows();
    void viewerAllowance();
    void summaryLines();
    void comparedCurvesShowTheirSamples();
};

// Whatever the rows' times do, memory follows the rows read: a month-long run opens whole, and a
// file whose time runs back on every row stops after the eighth run, naming the line.
void TestRunFiles::memoryFollowsRows_data()
{
    QTest::addColumn<QVector<int>>("seconds");
    QTest::addColumn<int>("runs");
    QTest::addColumn<qint64>("stoppedAt"); // 0: read whole
    QVector<int> month{0, 1, 25 * 86400, 40 * 86400};
    QTest::newRow("40 days") << month << 1 << qint64(0);
    QTest::newRow("a day at 1 s") << everySecond(86400) << 1 << qint64(0);
    QVector<int> backwards;
    for (int i = 11000; i > 0; --i)
        backwards << i;
    QTest::newRow("time back on every row") << backwards << kMaxRuns << qint64(4 + kMaxRuns + 1);
}

void TestRunFiles::memoryFollowsRows()
{
    QFETCH(QVector<int>, seconds);
    QFETCH(int, runs);
    QFETCH(qint64, stoppedAt);
    const QByteArray bytes = dataFile(proto::Hk07Family, seconds);
    std::vector<RecordedRun> read;
    ReadError error;
    QCOMPARE(parse(bytes, &read, &error, 65536), stoppedAt == 0);
    QCOMPARE(int(read.size()), runs);
    QCOMPARE(error.line, stoppedAt);
    if (stoppedAt)
        QCOMPARE(int(error.problem), int(ReadProblem::TooManyRuns));
    qint64 bytesUsed = 0, rows = 0;
    for (const RecordedRun &run : read) {
        bytesUsed += run.rows.bytesUsed();
        rows += run.rows.size();
    }
    QVERIFY2(bytesUsed <= 5 * bytes.size() && bytesUsed <= 60 * rows + 4096 * qint64(read.size()),
             qPrintable(QStringLiteral("%1 bytes for %2 rows").arg(bytesUsed).arg(rows)));
    const RecordedRun &last = read.back();
    QCOMPARE(last.rows.time(last.rows.size() - 1),
             stoppedAt ? 0 : qint64(seconds.last()) * 1000);
    QCOMPARE(summarise(last).durationMs, last.rows.time(last.rows.size() - 1));
}

// The viewer reads no more runs than it can show: the files past its allowance are named, with
// the line where reading stopped.
void TestRunFiles::viewerAllowance()
{
    const auto write = [this](const QString &name, int runs) {
        QByteArray bytes;
        for (int r = 0; r < runs; ++r)
            bytes += dataFile(proto::Hk07Family, everySecond(3));
        QFile file(m_dir.file(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    };
    const QString six = write("six.csv", 6), five = write("five.csv", 5), one = write("one.csv", 1);
    const LoadOutcome outcome = loadRunFiles({six, five, one}, kMaxRuns);
    QCOMPARE(int(outcome.runs.size()), kMaxRuns);
    QCOMPARE(outcome.openedFiles, (QStringList{six, five}));
    QCOMPARE(outcome.problems.size(), 2);
    QVERIFY2(outcome.problems[0].contains("five.csv, 第 19 行"), qPrintable(outcome.problems[0]));
    QVERIFY2(outcome.problems[1].contains("one.csv: 最多比较 8 个记录"),
             qPrintable(outcome.problems[1]));
}

// --summary: one line per run, CSV under a header or JSON lines; a bad file is named with its
// line, the others are still summarised, and the status says something went wrong.
void TestRunFiles::summaryLines()
{
    QFile good(m_dir.file("two runs.csv"));
    QVERIFY(good.open(QIODevice::WriteOnly));
    good.write(dataFile(proto::Hk07Family, everySecond(60)) +
               dataFile(proto::Nv05Family, {0, 30 * 86400}));
    good.close();
    QFile bad(m_dir.file("bad.csv"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(dataFile(proto::Hk07Family, everySecond(10)) + "2026-03-01_09:00:00,1,2\n");
    bad.close();
    const QStringList paths{good.fileName(), bad.fileName()};
    for (SummaryFormat format : {SummaryFormat::Csv, SummaryFormat::JsonLines}) {
        QByteArrayList out, problems;
        const int status = summariseFiles(
            paths, format, [&](const QByteArray &l) { out << l; },
            [&](const QByteArray &l) { problems << l; });
        QCOMPARE(status, 1);
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems[0].contains("bad.csv, 第 15 行"), problems[0].constData());
        const bool csv = format == SummaryFormat::Csv;
        QCOMPARE(out.size(), csv ? 3 : 2);
        if (csv) {
            QCOMPARE(out[0], QByteArray("file,run,start,duration_s,rows,first_voltage_V,"
                                        "last_voltage_V,mean_current_A,peak_power_W,capacity_mAh,"
                                        "energy_Wh\n"));
            const QByteArrayList cells = out[2].trimmed().split(',');
            QCOMPARE(cells.size(), 11);
            QCOMPARE(cells[0], good.fileName().toUtf8());
            QCOMPARE(cells[1], QByteArray("2"));
            QCOMPARE(cells[2], QByteArray("2026-03-01T08:00:00"));
            QCOMPARE(cells[3], QByteArray::number(30 * 86400)); // past 24 days
            QCOMPARE(cells[4], QByteArray("2"));
            continue;
        }
        const QJsonObject first = QJsonDocument::fromJson(out[0]).object();
        QCOMPARE(first.value("file").toString(), good.fileName());
        QCOMPARE(first.value("rows").toInt(), 60);
        QCOMPARE(first.value("duration_s").toInt(), 59);
        QVERIFY(std::abs(first.value("first_voltage_V").toDouble() - valuesAt(0)[0]) < 1e-6);
        QVERIFY(std::abs(first.value("mean_current_A").toDouble() - 1.5) < 1e-6);
        QVERIFY(std::abs(first.value("capacity_mAh").toDouble() - valuesAt(59)[5]) < 1e-3);
        QCOMPARE(QJsonDocument::fromJson(out[1]).object().value("run").toInt(), 2);
    }
}

void TestRunFiles::goodFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QVector<qint64>>("rowsPerRun");
    QTest::addColumn<quint8>("family");

    const QByteArray hk = dataFile(proto::Hk07Family, everySecond(20));
    QTest::newRow("HK07") << hk << QVector<qint64>{20} << quint8(proto::Hk07Family);
    QTest::newRow("NV05") << dataFile(proto::Nv05Family, everySecond(15)) << QVector<qint64>{15}
                          << quint8(proto::Nv05Family);
    QByteArray crlf = hk;
    crlf.replace("\n", "\r\n");
    QTest::newRow("Windows line ends") << crlf << QVector<qint64>{20} << quint8(proto::Hk07Family);
    // An export appended to an existing file: rows only, time starts over.
    QTest::newRow("appended export") << hk + dataFile(proto::Hk07Family, everySecond(12), false)
                                     << QVector<qint64>{20, 12} << quint8(proto::Hk07Family);
    QTest::newRow("two files joined") << hk + dataFile(proto::Hk07Family, everySecond(5, 100))
                                      << QVector<qint64>{20, 5} << quint8(proto::Hk07Family);
    QTest::newRow("single row") << dataFile(proto::Hk07Family, {0}) << QVector<qint64>{1}
                                << quint8(proto::Hk07Family);
}

void TestRunFiles::goodFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QVector<qint64>, rowsPerRun);
    QFETCH(quint8, family);
    // Whole, and in pieces that split lines anywhere.
    for (size_t piece : {size_t(0), size_t(1), size_t(7), size_t(100)}) {
        std::vector<RecordedRun> runs;
        ReadError error;
        QVERIFY2(
            parse(bytes, &runs, &error, piece),
            qPrintable(QString("problem %1 at line %2").arg(int(error.problem)).arg(error.line)));
        QCOMPARE(int(runs.size()), rowsPerRun.size());
        for (size_t r = 0; r < runs.size(); ++r) {
            const RecordedRun &run = runs[r];
            QCOMPARE(run.rows.size(), rowsPerRun[int(r)]);
            QCOMPARE(run.part, int(r) + 1);
            QCOMPARE(run.familyCode, family);
            QCOMPARE(run.rows.time(0), 0);
            QCOMPARE(run.rows.time(run.rows.size() - 1), (run.rows.size() - 1) * 1000);
        }
        const RecordedRun &first = runs.front();
        QCOMPARE(
            QDateTime::fromMSecsSinceEpoch(first.startMs, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss"),
            QString("2026-03-01 08:00:00"));
        const qint64 row = qMin<qint64>(3, first.rows.size() - 1);
        const proto::SampleValues expected = valuesAt(int(row));
        QCOMPARE(first.rows.value(row, proto::Quantity::Voltage), expected[0]);
        QCOMPARE(first.rows.value(row, proto::Quantity::CpuTemp), expected[6]);
        // The NV05 family's kWh and Ah arrive as Wh and mAh (written with three decimals).
        const float scale = family == proto::Nv05Family ? 1000.0f : 1.0f;
        QVERIFY(std::abs(first.rows.value(row, proto::Quantity::Energy) - expected[4] * scale) <
                0.0006f * scale);
        QVERIFY(std::abs(first.rows.value(row, proto::Quantity::Capacity) - expected[5] * scale) <
                0.0006f * scale);
        QCOMPARE(first.has(proto::Quantity::FanSpeed), family == proto::Hk07Family);
    }
}

void TestRunFiles::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ReadProblem>("problem");
    QTest::addColumn<qint64>("line");

    const QByteArray good = dataFile(proto::Hk07Family, everySecond(10));
    const QByteArray header = csv::headerBlock(proto::Hk07Family);
    const auto withRow = [&](const QByteArray &row) { return good + row + "\n"; };
    const QByteArray timeText =
        QDateTime::fromMSecsSinceEpoch(kStart + 20000).toString("yyyy-MM-dd_hh:mm:ss").toLatin1();

    QTest::newRow("empty") << QByteArray() << ReadProblem::Empty << qint64(0);
    QTest::newRow("not a CSV") << QByteArray("hello world\nsecond line\n")
                               << ReadProblem::NotDataFile << qint64(1);
    QTest::newRow("foreign CSV") << QByteArray("time,volts,amps\n1,2,3\n")
                                 << ReadProblem::NotDataFile << qint64(1);
    QTest::newRow("binary, not UTF-8")
        << QByteArray("\xff\xfe\x00\x41\n", 5) << ReadProblem::NotUtf8 << qint64(1);
    QTest::newRow("header only") << header << ReadProblem::NoRows << qint64(4);
    QTest::newRow("header cut short")
        << header.left(header.indexOf('\n') + 1) << ReadProblem::BrokenHeader << qint64(1);
    QByteArray otherHeader = header;
    otherHeader.replace("FAN_SPEED", "FAN");
    QTest::newRow("header changed") << otherHeader << ReadProblem::BrokenHeader << qint64(4);
    QTest::newRow("too few columns")
        << withRow(timeText + ",1.0,2.0,3.0") << ReadProblem::ColumnCount << qint64(15);
    QTest::newRow("too many columns")
        << withRow(timeText + ",1,2,3,4,5,6,7,8,9,10,11") << ReadProblem::ColumnCount << qint64(15);
    QTest::newRow("NV05 row in an HK07 file")
        << good + dataFile(proto::Nv05Family, {20}, false) << ReadProblem::ColumnCount << qint64(15);
    QTest::newRow("bad time") << withRow("2026-13-01_08:00:20,1,2,3,4,5,6,7,8,9,10")
                              << ReadProblem::BadTime << qint64(15);
    QTest::newRow("bad number") << withRow(timeText + ",1,2,3,4,5,x6,7,8,9,10")
                                << ReadProblem::BadNumber << qint64(15);
    QTest::newRow("nan") << withRow(timeText + ",1,2,3,4,5,nan,7,8,9,10") << ReadProblem::BadNumber
                         << qint64(15);
    QTest::newRow("non-UTF-8 in a row")
        << withRow(timeText + ",1,2,3,4,5,\xc3,7,8,9,10") << ReadProblem::NotUtf8 << qint64(15);
    QTest::newRow("torn last line")
        << good + timeText + ",1,2,3" << ReadProblem::TornLine << qint64(15);
    QTest::newRow("overlong line")
        << withRow(timeText + "," + QByteArray(600, '1')) << ReadProblem::LineTooLong << qint64(15);
    QTest::newRow("overlong without line end")
        << good + QByteArray(100000, '7') << ReadProblem::LineTooLong << qint64(15);
    QTest::newRow("empty line") << withRow("") << ReadProblem::ColumnCount << qint64(15);
}

void TestRunFiles::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(ReadProblem, problem);
    QFETCH(qint64, line);
    for (size_t piece : {size_t(0), size_t(3), size_t(4096)}) {
        std::vector<RecordedRun> runs;
        ReadError error;
        QVERIFY(!parse(bytes, &runs, &error, piece));
        QVERIFY(runs.empty()); // nothing half-opened
        QCOMPARE(int(error.problem), int(problem));
        QCOMPARE(error.line, line);
    }
}

void TestRunFiles::journalAndFileOnDisk()
{
    // A journal left by a killed run opens like a data file; its torn last line is dropped.
    QString why;
    QString journalPath;
    {
        Journal journal;
        QVERIFY(journal.open(m_dir.file("journals"), proto::Nv05Family, &why));
        for (int i = 0; i < 30; ++i)
            QVERIFY(journal.append(kStart + i * 500, valuesAt(i)));
        journalPath = journal.filePath();
        QFile::copy(journalPath, m_dir.file("left.journal"));
    }
    QFile torn(m_dir.file("left.journal"));
    QVERIFY(torn.open(QIODevice::Append));
    torn.write("123,00");
    torn.close();
    std::vector<RecordedRun> runs;
    ReadError error;
    QVERIFY(readRunFile(m_dir.file("left.journal"), &runs, &error));
    QCOMPARE(int(runs.size()), 1);
    QCOMPARE(runs[0].rows.size(), qint64(30));
    QCOMPARE(runs[0].rows.time(29), qint64(29 * 500));
    QCOMPARE(runs[0].familyCode, proto::Nv05Family);
    QCOMPARE(runs[0].rows.value(10, proto::Quantity::Capacity), valuesAt(10)[5] * 1000.0f);
    QCOMPARE(QDateTime::fromMSecsSinceEpoch(runs[0].startMs, Qt::UTC).time(), QTime(8, 0, 0));

    // From disk: the file read through, and the ones that cannot be.
    QFile file(m_dir.file("run.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(dataFile(proto::Hk07Family, everySecond(5000)));
    file.close();
    QVERIFY(readRunFile(file.fileName(), &runs, &error));
    QCOMPARE(runs.front().rows.size(), qint64(5000));
    QVERIFY(!readRunFile(m_dir.file("missing.csv"), &runs, &error));
    QCOMPARE(int(error.problem), int(ReadProblem::CannotOpen));
    QVERIFY(!readRunFile(file.fileName() + ".journal", &runs, &error));
    QCOMPARE(int(error.problem), int(ReadProblem::BadJournal));
}

void TestRunFiles::summaryFigures()
{
    // Two minutes at 1 s, a 10 s hole, and a ramp whose V×I integral is known.
    QVector<int> seconds = everySecond(60);
    seconds << everySecond(60, 70);
    std::vector<RecordedRun> runs;
    ReadError error;
    QVERIFY(parse(dataFile(proto::Hk07Family, seconds), &runs, &error));
    const RunSummary s = summarise(runs.front());
    QCOMPARE(s.samples, qint64(120));
    QCOMPARE(s.durationMs, qint64(129000));
    QCOMPARE(s.gaps, 1);
    QCOMPARE(s.gapMs, qint64(11000));
    QCOMPARE(s.firstVoltage, valuesAt(0)[0]);
    QCOMPARE(s.lastVoltage, valuesAt(119)[0]);
    QCOMPARE(s.minVoltage, valuesAt(119)[0]);
    QCOMPARE(s.maxVoltage, valuesAt(0)[0]);
    QVERIFY(std::abs(s.meanCurrent - 1.5) < 1e-6);
    QVERIFY(std::abs(s.capacityMah - valuesAt(119)[5]) < 1e-3);
    QVERIFY(std::abs(s.energyWh - valuesAt(119)[4]) < 1e-3);
    QCOMPARE(s.maxCpuTemp, 36.0f);
    QCOMPARE(s.maxMosTemp, 30.0f);
    // Voltage falls 1 mV per row at 1.5 A: trapezoids over the rows' real times.
    double wattSeconds = 0;
    for (int i = 1; i < 120; ++i)
        wattSeconds += (valuesAt(i - 1)[0] + valuesAt(i)[0]) * 0.75 * (seconds[i] - seconds[i - 1]);
    QVERIFY(std::abs(s.integratedWh - wattSeconds / 3600.0) < 1e-6);

    const QStringList column = summaryColumn(s);
    QCOMPARE(column.size(), summaryCaptions().size());
    QCOMPARE(column[0], QString("2026-03-01 08:00:00"));
    QCOMPARE(column[1], QString("0:02:09"));
    QCOMPARE(column.last(), QString("1 次, 共 0:00:11"));
    const QByteArray csvText = summaryCsv({"a,b.csv"}, {s});
    QVERIFY(csvText.startsWith(",\"a,b.csv\"\n"));
    QCOMPARE(csvText.count('\n'), summaryCaptions().size() + 1);
}

void TestRunFiles::elapsedLabels()
{
    QCOMPARE(elapsedText(0), QString("0:00:00"));
    QCOMPARE(elapsedText(3723000), QString("1:02:03"));
    QCOMPARE(elapsedText(7 * 86400000LL + 5000), QString("7 d 00:00:05"));
    const QVector<ElapsedTick> week = elapsedTicks(0, 7 * 86400000LL, 8);
    QCOMPARE(week.size(), 8);
    QCOMPARE(week[1].text, QString("1 d 00:00:00"));
    const QVector<ElapsedTick> minute = elapsedTicks(-1500, 60000, 8);
    QCOMPARE(minute.first().ms, qint64(0));
    QCOMPARE(minute[1].ms, qint64(10000));
    QVERIFY(minute.size() <= 8);
}

// Two long runs overlaid: each run's curve keeps every pixel column's extent of its samples, in
// its own colour, and the axes name what they show.
void TestRunFiles::comparedCurvesShowTheirSamples()
{
    LoadedRuns runs;
    for (int n = 0; n < 2; ++n) {
        auto loaded = std::make_unique<LoadedRun>();
        for (int i = 0; i < 40000 - n * 9000; ++i) {
            proto::SampleValues v = valuesAt(i);
            v[0] = float(10 * (n + 1) + 3 * std::sin(i / 2000.0) + ((i * 7919) % 13 - 6) * 0.2);
            loaded->run.rows.append(qint64(i) * 1000, v);
        }
        loaded->pyramid.sync(loaded->run.rows);
        loaded->summary = summarise(loaded->run);
        loaded->name = QStringLiteral("run %1").arg(n);
        runs.push_back(std::move(loaded));
    }
    RunChart chart;
    QtCharts::QChartView view(chart.chart());
    view.resize(900, 500);
    view.show();
    chart.setRuns(&runs);
    QApplication::processEvents();
    chart.setWindow(5000 * 1000, 35000 * 1000);
    QApplication::processEvents();
    const QImage picture = view.grab().toImage();
    const QList<QtCharts::QAbstractSeries *> series = chart.chart()->series();
    QCOMPARE(series.size(), 2);
    const std::function<bool(QRgb)> ink[] = {
        [](QRgb p) { return qBlue(p) - qRed(p) > 80; },  // the first run's blue
        [](QRgb p) { return qRed(p) - qBlue(p) > 120; }, // the second run's orange
    };
    for (int n = 0; n < 2; ++n) {
        QVERIFY(chart.points(n).size() <= 2 * 900 + 2);
        const SampleStore &rows = runs[size_t(n)]->run.rows;
        QVector<QPointF> samples;
        for (qint64 r = 0; r < rows.size(); ++r)
            samples.append(chart.chart()->mapToPosition(
                QPointF(double(rows.time(r)), double(rows.value(r, proto::Quantity::Voltage))),
                series[n]));
        const QString problem =
            curveOutsideItsSamples(picture, chart.chart()->plotArea(), samples, ink[n]);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("run %1: %2").arg(n).arg(problem)));
    }
    auto *value = qobject_cast<QtCharts::QCategoryAxis *>(chart.chart()->axes(Qt::Vertical).first());
    QVERIFY(value->categoriesLabels().last().endsWith("V"));
    auto *time = qobject_cast<QtCharts::QCategoryAxis *>(chart.chart()->axes(Qt::Horizontal).first());
    QCOMPARE(time->titleText(), QString("运行时间"));
    QCOMPARE(time->categoriesLabels().first(), elapsedTicks(5000 * 1000, 35000 * 1000, 8).first().text);
}

QTEST_MAIN(TestRunFiles)
#include "tst_run_files.moc"
