// Prints the recording figures; never fails on timing. Everything goes to a temporary folder.

#include "record/durable_file.h"
#include "record/recorder.h"
#include "record/data_file_saver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
proto::SampleValues valuesFor(int i)
{
    const float t = float(i);
    return {12.0f + t * 1e-4f, 1.5f,  18.0f,  8.0f,  t * 1e-3f,
            t * 0.4f,          41.5f, 30.25f, 55.0f, 1800.0f + float(i % 7)};
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    // The stop below counts its file in the per-user store: a temporary one.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("config"));
    const QDateTime start = QDateTime::currentDateTime();

    // Recording: the chart tick's cost per row, table plus journal (one write per row).
    Recorder recorder;
    recorder.setJournalFolder(dir.filePath("journal"));
    recorder.setFamilyCode(1);
    constexpr int kRecorded = 20000;
    std::vector<qint64> nanos(kRecorded);
    QElapsedTimer each;
    for (int i = 0; i < kRecorded; ++i) {
        const QDateTime when = start.addSecs(i);
        each.start();
        recorder.record(when, valuesFor(i));
        nanos[size_t(i)] = each.nsecsElapsed();
    }
    std::printf("record-first-row-ms %.3f (opens the journal)\n", double(nanos[0]) / 1e6);
    nanos.erase(nanos.begin());
    std::vector<qint64> sorted = nanos;
    std::sort(sorted.begin(), sorted.end());
    const int n = int(sorted.size());
    double total = 0;
    for (qint64 ns : nanos)
        total += double(ns);
    std::printf("record-row-ms mean %.4f median %.4f p99 %.4f max %.4f (target <= 0.2, %d rows, "
                "journal %s)\n",
                total / n / 1e6, double(sorted[size_t(n / 2)]) / 1e6,
                double(sorted[size_t(n * 99 / 100)]) / 1e6, double(sorted.back()) / 1e6, n,
                recorder.journalPath().isEmpty() ? "off" : "on");

    // One day at one row per second.
    SampleStore day;
    constexpr int kDay = 86400;
    for (int i = 0; i < kDay; ++i)
        day.append(start.addSecs(i).toMSecsSinceEpoch(), valuesFor(i));
    std::printf("memory-bytes-per-row %.1f (store of %d rows, target <= 100 with the chart)\n",
                double(day.bytesUsed()) / kDay, kDay);
    for (int family : {1, 4}) {
        const QString path = dir.filePath(QStringLiteral("day_%1.csv").arg(family));
        QElapsedTimer timer;
        timer.start();
        QString error;
        const bool ok = DataFileSaver().exportCsv(day, path, quint8(family), true, &error);
        const double ms = timer.nsecsElapsed() / 1e6;
        std::printf("csv-write-86400-rows-ms %.1f family %d (target <= 500) file-bytes-per-row "
                    "%.1f%s\n",
                    ms, family, double(QFileInfo(path).size()) / kDay,
                    ok ? "" : qPrintable(" FAILED: " + error));
    }

    // The stop of a day-long run: the whole save (temporary file, sync, rename, folder sync) and
    // the journal's removal, as the GUI thread does it, with the time at which each step ended.
    Recorder dayRun;
    dayRun.setJournalFolder(dir.filePath("journal-day"));
    dayRun.setFamilyCode(1);
    for (int i = 0; i < kDay; ++i)
        dayRun.record(start.addSecs(i), valuesFor(i));
    QElapsedTimer stop;
    QString steps;
    durable::setObserver([&](durable::Step step, const QString &) {
        steps += QStringLiteral(" %1@%2")
                     .arg(durable::stepName(step))
                     .arg(stop.nsecsElapsed() / 1e6, 0, 'f', 1);
    });
    stop.start();
    const SaveOutcome outcome = dayRun.saveRun({dir.filePath("Data"), false});
    const double stopMs = stop.nsecsElapsed() / 1e6;
    durable::setObserver({});
    std::printf("stop-86400-rows-ms %.1f (target <= 50 on the GUI thread)%s;%s\n", stopMs,
                outcome.written() ? "" : " FAILED", qPrintable(steps));
    return 0;
}
