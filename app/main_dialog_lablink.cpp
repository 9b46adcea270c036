// The lab link in the main dialog: the publisher, fed by the acquisition, its state in the status
// line, and its settings dialog in the title bar menu.

#include "main_dialog.h"

#include "acquisition_feed.h"
#include "lab_link_dialog.h"
#include "publisher.h"
#include "ui_MainDialog.h"

#include <QLoggingCategory>

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
                m_displayPage->statusLine().show([text] { return tr("实验室联网: %1").arg(text); });
            });
    new lablink::AcquisitionFeed(*m_labLink, *m_link, *m_acquisition, *m_session, this);
}

void MainDialog::startLabLink(const lablink::LinkSettings &settings)
{
    m_labLink->stop();
    if (!settings.enabled)
        return;
    m_labLink->start(settings, lablink::identityOf(*m_link));
}

lablink::Publisher &MainDialog::labLink() const
{
    return *m_labLink;
}

void MainDialog::openLabLinkDialog()
{
    lablink::LabLinkDialog dialog(lablink::loadLinkSettings(), this);
    dialog.setObjectName("lablink_dialog");
    if (dialog.exec() == QDialog::Accepted)
        startLabLink(dialog.settings());
}
