#pragma once
// The lab link in the window: the publisher, fed by the acquisition, its changes of state on the
// display page's status line, and its settings dialog. Off until started with enabled settings
// (the settings file's, or the command line's); the dialog changes and restarts it.

#include <QObject>

class DeviceLink;
class QWidget;
namespace acquire {
class Acquisition;
class RunSession;
} // namespace acquire
namespace ui {
class StatusLine;
}
namespace lablink {
class Publisher;
struct LinkSettings;
} // namespace lablink

namespace app {

class LabLinkWiring : public QObject
{
    Q_OBJECT
public:
    // All outlive the wiring.
    LabLinkWiring(DeviceLink &link, const acquire::Acquisition &acquisition,
                  const acquire::RunSession &session, ui::StatusLine &statusLine,
                  QObject *parent = nullptr);

    void start(const lablink::LinkSettings &settings);
    lablink::Publisher &publisher() const { return *m_publisher; }
    // The settings dialog over `window`; accepted settings restart the link.
    void openDialog(QWidget *window);

private:
    void showStatus(const QString &text, bool connected);

    DeviceLink &m_link;
    ui::StatusLine &m_statusLine;
    lablink::Publisher *m_publisher;
    bool m_connected = false;
};

} // namespace app
