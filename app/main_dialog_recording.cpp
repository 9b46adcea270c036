// The data path in the main dialog: the acquisition, the run and its recorder, and the save when
// a run stops.

#include "app/main_dialog.h"

#include "acquire/acquisition.h"
#include "acquire/run_saving.h"
#include "acquire/run_session.h"

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
}

bool MainDialog::runActive() const
{
    return m_session->running();
}
