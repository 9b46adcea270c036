#include "record/journal_recovery.h"

#include "record/content_digest.h"
#include "record/durable_file.h"
#include "record/journal.h"
#include "record/record_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace {
// A save that ended after its rename but before the journal went: the file it noted is there
// and holds exactly these rows. Saving again would leave the run in two files.
bool alreadySaved(const JournalContent &content)
{
    if (content.savingTo.isEmpty())
        return false;
    if (!content.savingDigest.isEmpty())
        return ContentDigest::ofFile(content.savingTo) == content.savingDigest;
    return DataFileSaver::holdsRun(content.rows, content.familyCode, content.savingTo);
}
} // namespace

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
            run.damagedCopy = path + ".damaged";
            QFile::remove(run.damagedCopy);
            if (!QFile::rename(path, run.damagedCopy))
                run.damagedCopy = path;
            run.save.result = SaveOutcome::Result::Failed;
            run.save.path = path;
            run.save.reason = error;
            recovered.append(run);
            continue;
        }
        run.rows = content.rows.size();
        run.droppedLines = content.droppedLines;
        run.headerDamaged = content.headerDamaged;
        if (alreadySaved(content)) {
            run.save.result = SaveOutcome::Result::Written;
            run.save.path = content.savingTo;
        } else {
            run.save = DataFileSaver(dataFolder).autoSave(content.rows, content.familyCode, path);
        }
        qCInfo(lcRecord).noquote()
            << "journal" << path << "of an interrupted run:" << run.rows << "rows,"
            << run.droppedLines << "torn or damaged lines dropped;" << run.save.labelText();
        if (run.save.result != SaveOutcome::Result::Failed && !durable::removeFile(path, &error))
            qCWarning(lcRecord).noquote() << "journal not removed:" << error;
        recovered.append(run);
    }
    return recovered;
}
