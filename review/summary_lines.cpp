#include "review/summary_lines.h"

#include "review/read_problem_text.h"
#include "review/run_summary.h"

#include <QDateTime>

namespace review {

namespace {

struct Field
{
    const char *name;
    QByteArray value;
    bool text;
};

QByteArray number(double v, int decimals)
{
    return QByteArray::number(v, 'f', decimals);
}

QByteArray seconds(qint64 ms)
{
    return ms % 1000 == 0 ? QByteArray::number(ms / 1000) : number(double(ms) / 1000.0, 3);
}

QByteArray jsonString(const QByteArray &utf8)
{
    QByteArray out = "\"";
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            out += '\\' + QByteArray(1, c);
        else if (u < 0x20)
            out += QByteArray("\\u00") + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out + '"';
}

std::vector<Field> fieldsOf(const QString &file, int run, const RunSummary &s)
{
    const QByteArray start =
        QDateTime::fromMSecsSinceEpoch(s.startMs, Qt::UTC).toString("yyyy-MM-ddThh:mm:ss").toUtf8();
    return {
        {"file", file.toUtf8(), true},
        {"run", QByteArray::number(run), false},
        {"start", start, true},
        {"duration_s", seconds(s.durationMs), false},
        {"rows", QByteArray::number(s.samples), false},
        {"first_voltage_V", number(s.firstVoltage, 6), false},
        {"last_voltage_V", number(s.lastVoltage, 6), false},
        {"mean_current_A", number(s.meanCurrent, 6), false},
        {"peak_power_W", number(s.peakPower, 6), false},
        {"capacity_mAh", number(s.capacityMah, 3), false},
        {"energy_Wh", number(s.energyWh, 3), false},
    };
}

} // namespace

QByteArray summaryCsvHeader()
{
    QByteArray line;
    for (const Field &field : fieldsOf(QString(), 0, RunSummary()))
        line += (line.isEmpty() ? "" : ",") + QByteArray(field.name);
    return line + '\n';
}

QByteArray summaryLine(const QString &file, int run, const RunSummary &summary,
                       SummaryFormat format)
{
    QByteArray line;
    for (const Field &field : fieldsOf(file, run, summary)) {
        if (format == SummaryFormat::Csv) {
            line += (line.isEmpty() ? "" : ",") + csvCell(QString::fromUtf8(field.value));
        } else {
            line += (line.isEmpty() ? "{" : ",") + jsonString(field.name) + ':' +
                    (field.text ? jsonString(field.value) : field.value);
        }
    }
    return line + (format == SummaryFormat::JsonLines ? "}\n" : "\n");
}

int summariseFiles(const QStringList &paths, SummaryFormat format, const LineSink &out,
                   const LineSink &problems)
{
    int status = 0;
    if (format == SummaryFormat::Csv)
        out(summaryCsvHeader());
    for (const QString &path : paths) {
        std::vector<RecordedRun> runs;
        ReadError error;
        const bool whole = readRunFile(path, &runs, &error);
        for (const RecordedRun &run : runs)
            out(summaryLine(path, run.part, summarise(run), format));
        if (!whole) {
            problems(readProblemText(path, error).toUtf8() + '\n');
            status = 1;
        }
    }
    return status;
}

} // namespace review
