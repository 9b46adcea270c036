#include "review/run_summary.h"

#include "record/csv_format.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>

namespace review {

RunSummary summarise(const RecordedRun &run)
{
    RunSummary s;
    const SampleStore &rows = run.rows;
    s.startMs = run.startMs;
    s.familyCode = run.familyCode;
    s.samples = rows.size();
    s.hasMosTemp = run.has(proto::Quantity::MosTemp);
    if (rows.isEmpty())
        return s;
    const qint64 last = rows.size() - 1;
    s.durationMs = rows.time(last);
    s.firstVoltage = rows.value(0, proto::Quantity::Voltage);
    s.lastVoltage = rows.value(last, proto::Quantity::Voltage);
    s.capacityMah = rows.value(last, proto::Quantity::Capacity);
    s.energyWh = rows.value(last, proto::Quantity::Energy);
    s.minVoltage = s.maxVoltage = s.firstVoltage;
    s.peakPower = rows.value(0, proto::Quantity::Power);
    s.maxCpuTemp = rows.value(0, proto::Quantity::CpuTemp);
    s.maxNtcTemp = rows.value(0, proto::Quantity::NtcTemp);
    s.maxMosTemp = rows.value(0, proto::Quantity::MosTemp);
    double currentSum = 0, powerSum = 0, energyMs = 0;
    double previousVi = 0;
    qint64 previousMs = 0;
    for (qint64 row = 0; row <= last; ++row) {
        const float v = rows.value(row, proto::Quantity::Voltage);
        const float i = rows.value(row, proto::Quantity::Current);
        const float p = rows.value(row, proto::Quantity::Power);
        s.minVoltage = std::min(s.minVoltage, v);
        s.maxVoltage = std::max(s.maxVoltage, v);
        s.peakPower = std::max(s.peakPower, p);
        s.maxCpuTemp = std::max(s.maxCpuTemp, rows.value(row, proto::Quantity::CpuTemp));
        s.maxNtcTemp = std::max(s.maxNtcTemp, rows.value(row, proto::Quantity::NtcTemp));
        s.maxMosTemp = std::max(s.maxMosTemp, rows.value(row, proto::Quantity::MosTemp));
        currentSum += i;
        powerSum += p;
        const double vi = double(v) * double(i);
        const qint64 ms = rows.time(row);
        if (row > 0) {
            const qint64 dt = ms - previousMs;
            energyMs += (previousVi + vi) * 0.5 * double(dt);
            if (dt > kGapMs) {
                ++s.gaps;
                s.gapMs += dt;
            }
        }
        previousVi = vi;
        previousMs = ms;
    }
    s.meanCurrent = currentSum / double(rows.size());
    s.meanPower = powerSum / double(rows.size());
    s.integratedWh = energyMs / 3.6e6;
    return s;
}

namespace {

const char *const kCaptions[] = {
    QT_TRANSLATE_NOOP("review::SummaryTable", "开始时间"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "时长"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "样本数"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "型号系列"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "起始电压 (V)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "结束电压 (V)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "最低电压 (V)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "最高电压 (V)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "平均电流 (A)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "平均功率 (W)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "峰值功率 (W)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "容量 (mAh)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "电量 (Wh)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "积分电量 V×I (Wh)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "最高CPU温度 (℃)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "最高探头温度 (℃)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "最高MOS温度 (℃)"),
    QT_TRANSLATE_NOOP("review::SummaryTable", "时间间断 (>3 s)"),
};

QString tableText(const char *source)
{
    return QCoreApplication::translate("review::SummaryTable", source);
}

QString fixed(double v, int decimals)
{
    return QString::number(v, 'f', decimals);
}

} // namespace

QByteArray csvCell(const QString &text)
{
    QByteArray cell = text.toUtf8();
    if (cell.contains(',') || cell.contains('"') || cell.contains('\n'))
        cell = '"' + cell.replace("\"", "\"\"") + '"';
    return cell;
}

QString elapsedText(qint64 ms)
{
    const qint64 secs = ms / 1000;
    const qint64 days = secs / 86400;
    const qint64 h = secs / 3600 % 24, m = secs / 60 % 60, s = secs % 60;
    const QString clock =
        QStringLiteral("%1:%2:%3")
            .arg(days > 0 ? QString::number(h).rightJustified(2, '0') : QString::number(h))
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return days > 0 ? QStringLiteral("%1 d %2").arg(days).arg(clock) : clock;
}

QStringList summaryCaptions()
{
    QStringList captions;
    for (const char *caption : kCaptions)
        captions << tableText(caption);
    return captions;
}

QStringList summaryColumn(const RunSummary &s)
{
    const QString none = QStringLiteral("–");
    const QString gaps = s.gaps == 0
                             ? QStringLiteral("0")
                             : tableText(QT_TRANSLATE_NOOP("review::SummaryTable", "%1 次, 共 %2"))
                                   .arg(s.gaps)
                                   .arg(elapsedText(s.gapMs));
    return {
        QDateTime::fromMSecsSinceEpoch(s.startMs, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss"),
        elapsedText(s.durationMs),
        QString::number(s.samples),
        s.familyCode == proto::Nv05Family ? QStringLiteral("NV05") : QStringLiteral("HK07"),
        fixed(s.firstVoltage, 3),
        fixed(s.lastVoltage, 3),
        fixed(s.minVoltage, 3),
        fixed(s.maxVoltage, 3),
        fixed(s.meanCurrent, 3),
        fixed(s.meanPower, 3),
        fixed(s.peakPower, 3),
        fixed(s.capacityMah, 3),
        fixed(s.energyWh, 4),
        fixed(s.integratedWh, 4),
        fixed(s.maxCpuTemp, 1),
        fixed(s.maxNtcTemp, 1),
        s.hasMosTemp ? fixed(s.maxMosTemp, 1) : none,
        gaps,
    };
}

QByteArray summaryCsv(const QStringList &runNames, const QVector<RunSummary> &summaries)
{
    QVector<QStringList> columns;
    for (const RunSummary &s : summaries)
        columns << summaryColumn(s);
    QByteArray out;
    out += csvCell(QString());
    for (const QString &name : runNames)
        out += ',' + csvCell(name);
    out += '\n';
    const QStringList captions = summaryCaptions();
    for (int row = 0; row < captions.size(); ++row) {
        out += csvCell(captions[row]);
        for (const QStringList &column : columns)
            out += ',' + csvCell(column[row]);
        out += '\n';
    }
    return out;
}

} // namespace review
