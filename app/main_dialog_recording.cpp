// The data path in the main dialog: the acquisition, the run and its recorder, and the save when
// a run stops.

#include "app/main_dialog.h"

#include "acquire/acquisition.h"
#include "acquire/run_saving.h"
#include "acquire/run_session.h"
#include "app/save_notices.h"
#include "ui/display_page.h"

#include <QMessageBox>

// The data path: the acquisition's samples go to the recorder; the run session clears it when a
// run begins and saves it into the data folder when the run ends, however it ends.
void MainDialog::buildAcquisition()
{
    m_recorder = new Recorder(this);
    m_session = new acquire::RunSession(*m_recorder, this);
    m_acquisition = new acquire::Acquisition(*m_link, *m_session, this);
    connect(m_acquisition, &acquire::Acquisition::sampled, m_recorder,
            qOverload<const Sample &>(&Recorder::record));
    m_session->setSaver([this] { return acquire::saveRecordedRun(*m_recorder, familyCode()); });
    // A new run is laid out by the family of the instrument it records.
    connect(m_session, &acquire::RunSession::started, m_recorder,
            [this] { m_recorder->setFamilyCode(familyCode()); });
    // A failed save that went through later says where, as the stop would have.
    connect(m_session, &acquire::RunSession::savedOnRetry, this, [this](const SaveOutcome &saved) {
        if (m_displayPage)
            showExportOutcome(m_displayPage->statusLine(), saved);
    });
    // Unsaved rows that no journal keeps go only if the user says so; else the new run keeps them.
    m_session->setClearQuestion([this](qint64 rows) {
        return QMessageBox::question(
                   this, tr("提示"),
                   tr("上次记录的 %1 条数据未能保存，也不在中断记录文件中。开始新的记录将丢弃它们。"
                      "\n丢弃它们吗？选“否”则保留，新的记录接在其后（可用“导出数据”保存）。")
                       .arg(rows),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    });
}

bool MainDialog::runActive() const
{
    return m_session->running();
}
