// The lab link's publisher, feed, status and settings dialog.

#include "app/lab_link_wiring.h"

#include "lablink/acquisition_feed.h"
#include "lablink/lab_link_dialog.h"
#include "lablink/link_texts.h"
#include "lablink/publisher.h"
#include "ui/status_line.h"

namespace app {

LabLinkWiring::LabLinkWiring(DeviceLink &link, const acquire::Acquisition &acquisition,
                             const acquire::RunSession &session, ui::StatusLine &statusLine,
                             QObject *parent)
    : QObject(parent), m_link(link), m_statusLine(statusLine),
      m_publisher(new lablink::Publisher(this))
{
    connect(m_publisher, &lablink::Publisher::statusChanged, this, &LabLinkWiring::showStatus);
    new lablink::AcquisitionFeed(*m_publisher, m_link, acquisition, session, this);
}

// Only a change of state reaches the status line; each retry goes to the log.
void LabLinkWiring::showStatus(const QString &text, bool connected)
{
    if (connected == m_connected)
        return;
    m_connected = connected;
    m_statusLine.show([text] { return tr("实验室联网: %1").arg(lablink::statusText(text)); });
}

void LabLinkWiring::start(const lablink::LinkSettings &settings)
{
    m_publisher->stop();
    if (!settings.enabled)
        return;
    m_publisher->start(settings, lablink::identityOf(m_link));
}

void LabLinkWiring::openDialog(QWidget *window)
{
    lablink::LabLinkDialog dialog(lablink::loadLinkSettings(), window);
    dialog.setObjectName("lablink_dialog");
    if (dialog.exec() == QDialog::Accepted)
        start(dialog.settings());
}

} // namespace app
