// The lab link's status and settings dialog in the window.

#include "app/lab_link_wiring.h"

#include "acquire/instrument_core.h"
#include "lablink/lab_link_dialog.h"
#include "lablink/link_texts.h"
#include "lablink/publisher.h"
#include "ui/status_line.h"

namespace app {

LabLinkWiring::LabLinkWiring(acquire::InstrumentCore &core, ui::StatusLine &statusLine,
                             QObject *parent)
    : QObject(parent), m_core(core), m_statusLine(statusLine)
{
    connect(&publisher(), &lablink::Publisher::statusChanged, this, &LabLinkWiring::showStatus);
}

lablink::Publisher &LabLinkWiring::publisher() const
{
    return m_core.labLink();
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
    m_core.startLabLink(settings);
}

void LabLinkWiring::openDialog(QWidget *window)
{
    lablink::LabLinkDialog dialog(lablink::loadLinkSettings(), window);
    dialog.setObjectName("lablink_dialog");
    if (dialog.exec() == QDialog::Accepted)
        start(dialog.settings());
}

} // namespace app
