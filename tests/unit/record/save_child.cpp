// A recording process for the crash tests: it records a run and then saves it, recovers journals
// or races another instance, and can end itself (SIGKILL) right after any durable step.
// Usage: save_child WORKDIR MODE MARKER [KILL_AT]
//   record   records 30 rows and ends without a save, as a killed run does
//   stop     records 30 rows and saves them as a stop does
//   recover  recovers the journals
//   race     records 20 rows, says "ready", waits for WORKDIR/go, then saves
// KILL_AT n > 0: SIGKILL right after the n-th durable step. Each step is printed first.

#include "record/durable_file.h"
#include "record/journal_recovery.h"
#include "record/recorder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QThread>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 64;
    const QString work = args[1];
    const QString mode = args[2];
    const float marker = args[3].toFloat();
    const int killAt = args.size() > 4 ? args[4].toInt() : 0;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work + "/config");
    const QString journals = work + "/journal";
    const DataFolder data{work + "/Data", false};

    int steps = 0;
    auto watchSteps = [&steps, killAt] {
        durable::setObserver([&steps, killAt](durable::Step step, const QString &path) {
            std::printf("%s %s\n", durable::stepName(step), qPrintable(path));
            std::fflush(stdout);
            if (++steps == killAt)
                std::raise(SIGKILL);
        });
    };

    if (mode == "recover") {
        watchSteps();
        for (const RecoveredRun &run : recoverJournals(journals, data))
            std::printf("recovered %s\n", qPrintable(run.save.labelText()));
        return 0;
    }
    Recorder recorder;
    recorder.setJournalFolder(journals);
    recorder.setFamilyCode(1);
    const QDateTime start(QDate(2024, 5, 1), QTime(12, 0, 0));
    const int rows = mode == "race" ? 20 : 30;
    for (int i = 0; i < rows; ++i)
        recorder.record(start.addSecs(i), {marker, float(i), 1, 2, 3, 4, 5, 6, 7, 8});
    if (mode == "record") {
        std::fflush(stdout);
        std::raise(SIGKILL);
    }
    if (mode == "race") {
        std::printf("ready\n");
        std::fflush(stdout);
        while (!QFileInfo::exists(work + "/go"))
            QThread::usleep(200);
    }
    watchSteps(); // the save's steps, not the journal's creation
    const SaveOutcome outcome = recorder.saveRun(data);
    std::printf("%s\n", qPrintable(outcome.labelText()));
    return outcome.written() ? 0 : 1;
}
