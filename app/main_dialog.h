#pragma once
// The program's only window: a frameless dialog with its own title bar, the page stack and the
// device list. It presents the instrument core (link, scan, run, recording, lab link) and wires
// the pages to it; the work is done by the small classes it owns. Its implementation is split by
// concern over main_dialog_*.cpp.

#include "acquire/instrument_core.h"
#include "usb/device_link.h"
#include "usb/instrument_commands.h"
#include "record/recorder.h"

#include <QDialog>
#include <QPair>
#include <QVector>

namespace Ui {
class MainDialog;
}
class QTimer;
class FirmwarePage;
class InterfaceLanguage;
namespace ui {
class DeviceInfoUI;
class DeviceListView;
class DisplayPage;
} // namespace ui
namespace app {
class ChartPage;
class LabLinkWiring;
class PageNavigator;
class StartHints;
} // namespace app
class SettingsPageBase;

class MainDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MainDialog(QWidget *parent = nullptr);
    ~MainDialog() override;

    // The instrument core the window presents, and the parts of it the pages are given.
    acquire::InstrumentCore &core() const { return *m_core; }
    DeviceLink &link() const { return m_core->link(); }
    Recorder &recorder() const { return m_core->recorder(); }
    // The acquisition (its 500 ms cycle; tests stop its timer and step it themselves) and the run.
    acquire::Acquisition &acquisition() const { return m_core->acquisition(); }
    acquire::RunSession &runSession() const { return m_core->session(); }

    // State a test or the chart reads back.
    quint8 familyCode() const { return link().familyCode(); }
    bool runActive() const { return runSession().running(); }
    const QVector<QPair<ui::DeviceInfoUI *, quint8>> &deviceList() const;
    app::ChartPage &chartPage() const { return *m_chartPage; }
    // The display page: live values, the run button, the chart's frame and the status line.
    ui::DisplayPage *displayPage() const { return m_displayPage; }

    // The lab link: its publisher, status and settings dialog.
    app::LabLinkWiring &labLink() const { return *m_labLink; }

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // title bar
    void closeFromTitleBar();
    // what the core tells of the instrument
    void instrumentConnected(const QString &name);
    void instrumentIdentified(quint8 family);
    void instrumentLost();
    void refreshDisplay();
    void refreshSettingsPage();

    void initForm();
    void applyTitleGlyphs();
    void refreshTexts();
    void showUpgradeConnection(bool connected);
    QString deviceTitle(const QString &tail) const;
    void explainOpenFailure();
    void setUpDisplayPage();
    SettingsPageBase *settingsPage() const;

    Ui::MainDialog *ui;
    InterfaceLanguage *m_language = nullptr;

    acquire::InstrumentCore *m_core;
    usb::InstrumentCommands m_commands;

    QTimer *m_upgradeTimer = nullptr;
    FirmwarePage *m_firmwarePage = nullptr;
    ui::DeviceListView *m_devices = nullptr;
    app::StartHints *m_startHints = nullptr;

    ui::DisplayPage *m_displayPage = nullptr;
    app::PageNavigator *m_navigator = nullptr;
    app::ChartPage *m_chartPage = nullptr;

    app::LabLinkWiring *m_labLink = nullptr;
};
