#pragma once
// The lab link in the window: the core's publisher, its changes of state on the display page's
// status line, and its settings dialog. Off until started with enabled settings (the settings
// file's, or the command line's); the dialog changes and restarts it.

#include <QObject>
#include <QString>

class QWidget;
namespace acquire {
class InstrumentCore;
}
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
    // Both outlive the wiring.
    LabLinkWiring(acquire::InstrumentCore &core, ui::StatusLine &statusLine,
                  QObject *parent = nullptr);

    void start(const lablink::LinkSettings &settings);
    lablink::Publisher &publisher() const;
    // The settings dialog over `window`; accepted settings restart the link.
    void openDialog(QWidget *window);

private:
    void showStatus(const QString &text, bool connected);

    acquire::InstrumentCore &m_core;
    ui::StatusLine &m_statusLine;
    bool m_connected = false;
    QString m_reason; // the last failure shown

};

} // namespace app
