// The lab link in the main dialog: the publisher, what it is given each sample and at the run's
// start and stop, its state in the status line, and its settings dialog in the title bar menu.

#include "main_dialog.h"

#include "lab_link_dialog.h"
#include "payloads.h"
#include "publisher.h"
#include "ui_MainDialog.h"

#include <QLoggingCategory>
#include <QTimer>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

void MainDialog::setUpLabLink()
{
    m_labLink = new lablink::Publisher(this);
    connect(m_labLink, &lablink::Publisher::statusChanged, this,
            [this](const QString &text, bool connected) {
                // Only a change of state reaches the status line; each retry goes to the log.
                if (connected == m_labLinkConnected)
                    return;
                m_labLinkConnected = connected;
                ui->label_left_tips->setText(tr("实验室联网: %1").arg(text));
            });
    connect(chartTimer, &QTimer::timeout, this, &MainDialog::feedLabLink);
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

// Once a second, like the chart's samples, once an identified instrument has reported: the
// latest values; and the run's start or stop as the run state changes.
void MainDialog::feedLabLink()
{
    if (!m_labLink->isStarted())
        return;
    // A run starts when the program and the instrument both run the load, and ends with the
    // program's run flag (the stop button, an unplug): an instrument report that still shows the
    // load stopped just after a start is not a stop.
    const bool running = m_link->curveRunFlag() && m_link->state().deviceRunning;
    if (running && !m_labLinkRunSeen) {
        m_labLinkRunSeen = true;
        publishRunEvent(lablink::RunEvent::Started);
    } else if (!m_link->curveRunFlag() && m_labLinkRunSeen) {
        m_labLinkRunSeen = false;
        publishRunEvent(lablink::RunEvent::Stopped);
    }
    if (m_link->familyCode() == DeviceLink::NoFamily || m_link->measurementCount() == 0 ||
        m_link->scanBusy() || (m_link->tickCounter() & 1u) == 0)
        return;
    m_labLink->setIdentity(labLinkIdentity());
    lablink::Reading reading;
    reading.time = QDateTime::currentDateTime();
    const SampleValues values = sampleValuesOf(m_link->live());
    std::copy(values.begin(), values.end(), reading.values.begin());
    reading.workMode = m_link->live().workMode;
    reading.running = running;
    m_labLink->publishReading(reading);
}

void MainDialog::publishRunEvent(int kind, const QString &path)
{
    if (m_labLink->isStarted())
        m_labLink->publishRunEvent(
            {lablink::RunEvent::Kind(kind), QDateTime::currentDateTime(), path});
}

// A stop saves before the run flag falls: the stop goes out first, then where the data went.
void MainDialog::noteRunSaved(const SaveOutcome &outcome)
{
    if (m_labLinkRunSeen) {
        m_labLinkRunSeen = false;
        publishRunEvent(lablink::RunEvent::Stopped);
    }
    if (outcome.written())
        publishRunEvent(lablink::RunEvent::Saved, outcome.path);
}

// A run ended by unplugging or closing, not by the stop button.
void MainDialog::noteRunInterrupted()
{
    if (m_labLinkRunSeen) {
        m_labLinkRunSeen = false;
        publishRunEvent(lablink::RunEvent::Interrupted);
    }
}

void MainDialog::openLabLinkDialog()
{
    lablink::LabLinkDialog dialog(lablink::loadLinkSettings(), this);
    dialog.setObjectName("lablink_dialog");
    if (dialog.exec() == QDialog::Accepted)
        startLabLink(dialog.settings());
}
