// The recorded run in the main dialog: its journal, the save when a run stops, "Export data" of
// the chart menu, and, at start-up, the runs an earlier crash left in journals.

#include "main_dialog.h"

#include "journal.h"
#include "journal_recovery.h"
#include "setting.h"
#include "ui_MainDialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLoggingCategory>
#include <QMessageBox>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

void MainDialog::setUpRecording()
{
    m_recorder->setJournalFolder(defaultJournalFolder());
    // A device identification (and a run start) begins a new recorded run, laid out by family.
    connect(this, &MainDialog::recordedRunCleared, m_recorder,
            [this] { m_recorder->setFamilyCode(familyCode()); });

    const DataFolder folder = dataFolder();
    if (folder.fallback) {
        qCInfo(lcApp).noquote() << "data folder beside the program is not writable; using"
                                << folder.path;
        ui->label_left_tips->setText(tr("数据文件夹: %1").arg(folder.path));
    }
    for (const RecoveredRun &run : recoverJournals(defaultJournalFolder(), folder)) {
        if (run.save.written())
            ui->label_left_tips->setText(tr("已恢复中断的记录: %1").arg(run.save.path));
        else if (run.save.result == SaveOutcome::Result::Failed)
            ui->label_left_tips->setText(run.save.labelText());
    }
}

DataFolder MainDialog::dataFolder() const
{
    return resolveDataFolder(Setting().read("save_path"), QCoreApplication::applicationDirPath());
}

SaveOutcome MainDialog::saveRecordedRun()
{
    m_recorder->setFamilyCode(familyCode());
    const SaveOutcome outcome = m_recorder->saveRun(dataFolder());
    noteRunSaved(outcome);
    return outcome;
}

void MainDialog::saveInterruptedRun()
{
    if (!m_link->curveRunFlag() || m_recorder->rowCount() == 0)
        return;
    noteRunInterrupted();
    const SaveOutcome outcome = saveRecordedRun();
    qCInfo(lcApp).noquote() << "run ended without a stop:" << outcome.labelText();
    ui->label_left_tips->setText(outcome.labelText());
}

void MainDialog::onAct1Clicked_Slot()
{
    if (m_recorder->rowCount() < saveDataDeal::kMinimumRows) {
        QMessageBox::information(this, tr("提示信息"),
                                 tr("<font color='red'>数据太少了吧，请记录至少十条数据。</font>"),
                                 QMessageBox::Ok);
        return;
    }
    const DataFolder folder = dataFolder();
    QString error;
    if (!makeDataFolder(folder, &error))
        qCWarning(lcApp).noquote() << "data folder:" << error;
    const QString file =
        QFileDialog::getSaveFileName(this, tr("Excel file"), folder.path, tr("Files (*.csv)"));
    if (file.isEmpty())
        return;
    if (!saveDataDeal().writeCsv(m_recorder->store(), file, familyCode(), &error)) {
        qCWarning(lcApp).noquote() << "export not saved:" << file << error;
        ui->label_left_tips->setText(
            SaveOutcome{SaveOutcome::Result::Failed, file, error}.labelText());
        return;
    }
    Setting().write("save_path", savePathOf(file));
}
