// The lab link in the main dialog: the publisher, the acquisition's samples and the run's start
// and end it is given, its state in the status line, and its settings dialog in the title bar menu.

#include "main_dialog.h"

#include "acquisition.h"
#include "lab_link_dialog.h"
#include "payloads.h"
#include "publisher.h"
#include "run_session.h"
#include "ui_MainDialog.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

void MainDialog::setUpLabLink()
{
    using acquire::RunSession;
    m_labLink = new lablink::Publisher(this);
    connect(m_labLink, &lablink::Publisher::statusChanged, this,
            [this](const QString &text, bool connected) {
                // Only a change of state reaches the status line; each retry goes to the log.
                if (connected == m_labLinkConnected)
                    return;
                m_labLinkConnected = connected;
                m_displayPage->statusLine()->setText(tr("实验室联网: %1").arg(text));
            });
    connect(m_acquisition, &acquire::Acquisition::sampled, this, &MainDialog::publishSample);
    connect(m_session, &RunSession::started, this,
            [this] { publishRunEvent(lablink::RunEvent::Started); });
    // A run ends stopped (the button, or a new run) or interrupted (unplugged, another instrument,
    // closed, a signal); then, if it was written, where its data file went.
    connect(
        m_session, &RunSession::finished, this,
        [this](const SaveOutcome &outcome, RunSession::End why) {
            const bool stopped = why == RunSession::End::Stopped || why == RunSession::End::NewRun;
            publishRunEvent(stopped ? lablink::RunEvent::Stopped : lablink::RunEvent::Interrupted);
            if (outcome.written())
                publishRunEvent(lablink::RunEvent::Saved, outcome.path);
        });
}

void MainDialog::startLabLink(const lablink::LinkSettings &settings)
{
    m_labLink->stop();
    if (!settings.enabled)
        return;
    m_labLink->start(settings, labLinkIdentity());
}

lablink::Publisher &MainDialog::labLink() const
{
    return *m_labLink;
}

QString MainDialog::labLinkIdentity() const
{
    return lablink::instrumentIdentity(m_link->serialString(), m_link->modelWord(),
                                       m_link->currentAddress());
}

void MainDialog::publishSample(const Sample &sample)
{
    if (!m_labLink->isStarted())
        return;
    m_labLink->setIdentity(labLinkIdentity());
    lablink::Reading reading;
    reading.time = QDateTime::fromMSecsSinceEpoch(sample.wallMs);
    std::copy(sample.values.begin(), sample.values.end(), reading.values.begin());
    reading.workMode = sample.workMode;
    reading.running = sample.loadOn;
    m_labLink->publishReading(reading);
}

void MainDialog::publishRunEvent(int kind, const QString &path)
{
    if (m_labLink->isStarted())
        m_labLink->publishRunEvent(
            {lablink::RunEvent::Kind(kind), QDateTime::currentDateTime(), path});
}

void MainDialog::openLabLinkDialog()
{
    lablink::LabLinkDialog dialog(lablink::loadLinkSettings(), this);
    dialog.setObjectName("lablink_dialog");
    if (dialog.exec() == QDialog::Accepted)
        startLabLink(dialog.settings());
}
