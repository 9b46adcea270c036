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

// A change of state, and why the broker cannot be reached, reach the status line; a retry for
// the same reason (and the attempt before it) only goes to the log.
void LabLinkWiring::showStatus(const QString &text, bool connected)
{
    const bool attempt = !connected && text.startsWith(QLatin1String("connecting"));
    const QString reason =
        connected || attempt ? QString() : text.section(QLatin1String("; "), 0, 0);
    if (connected == m_connected && (attempt || reason == m_reason))
        return;
    m_connected = connected;
    m_reason = reason;
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
