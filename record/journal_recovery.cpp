#include "journal_recovery.h"

#include "journal.h"
#include "record_log.h"

#include <QDir>
#include <QFile>
#include <QLockFile>

QVector<RecoveredRun> recoverJournals(const QString &journalFolder, const DataFolder &dataFolder)
{
    QVector<RecoveredRun> recovered;
    const QDir dir(journalFolder);
    const QStringList names = dir.entryList({"*.journal"}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        // Held by a running instance (or being recovered by one that starts with us): not ours.
        QLockFile lock(path + ".lock");
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue;

        RecoveredRun run;
        run.journal = path;
        JournalContent content;
        QString error;
        if (!readJournal(path, &content, &error)) {
            qCWarning(lcRecord).noquote() << "journal" << path << "unreadable:" << error;
            QFile::remove(path + ".damaged");
            QFile::rename(path, path + ".damaged");
            continue;
        }
        run.rows = content.rows.size();
        run.droppedLines = content.droppedLines;
        run.save = saveDataDeal(dataFolder).autoSave(content.rows, content.familyCode);
        qCInfo(lcRecord).noquote()
            << "journal" << path << "of an interrupted run:" << run.rows << "rows,"
            << run.droppedLines << "torn or damaged lines dropped;" << run.save.labelText();
        if (run.save.result != SaveOutcome::Result::Failed)
            QFile::remove(path);
        recovered.append(run);
    }
    return recovered;
}
