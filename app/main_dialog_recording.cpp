// The recorded run in the main dialog: its journal, the save when a run stops, and, at start-up,
// the runs an earlier crash left in journals.

#include "main_dialog.h"

#include "acquisition.h"
#include "journal.h"
#include "journal_recovery.h"
#include "run_saving.h"
#include "run_session.h"
#include "save_notices.h"
#include "ui_MainDialog.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

// The data path: the acquisition's samples go to the recorder; the run session clears it when a
// run begins and saves it through saveRecordedRun() when the run ends, however it ends.
void MainDialog::buildAcquisition()
{
    m_recorder = new Recorder(this);
    m_session = new acquire::RunSession(*m_recorder, this);
    m_acquisition = new acquire::Acquisition(*m_link, *m_session, this);
    connect(m_acquisition, &acquire::Acquisition::sampled, m_recorder,
            qOverload<const Sample &>(&Recorder::record));
    m_session->setSaver([this] { return saveRecordedRun(); });
    // A new run is laid out by the family of the instrument it records.
    connect(m_session, &acquire::RunSession::started, m_recorder,
            [this] { m_recorder->setFamilyCode(familyCode()); });
}

bool MainDialog::curveRunFlag() const
{
    return m_session->running();
}

void MainDialog::setUpRecording()
{
    m_recorder->setJournalFolder(defaultJournalFolder());

    const DataFolder folder = acquire::programDataFolder();
    if (folder.fallback) {
        qCInfo(lcApp).noquote() << "data folder beside the program is not writable; using"
                                << folder.path;
        m_displayPage->statusLine().show(
            [path = folder.path] { return tr("数据文件夹: %1").arg(path); });
    }
    announceRecoveredRuns(this, m_displayPage->statusLine(),
                          recoverJournals(defaultJournalFolder(), folder));
}

SaveOutcome MainDialog::saveRecordedRun()
{
    return acquire::saveRecordedRun(*m_recorder, familyCode());
}
