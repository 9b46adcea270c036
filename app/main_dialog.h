#pragma once
// The program's only window: a frameless dialog with its own title bar, the page stack and the
// device list. It wires the parts together; the work is done by the small classes it owns.
// Its implementation is split by concern over main_dialog_*.cpp.

#include "usb/device_link.h"
#include "usb/instrument_commands.h"
#include "record/recorder.h"

#include <QDialog>
#include <QPair>
#include <QVector>

namespace Ui {
class MainDialog;
}
namespace acquire {
class Acquisition;
class RunSession;
} // namespace acquire
class QTimer;
class FirmwarePage;
class InterfaceLanguage;
class Recorder;
class USBThread;
namespace ui {
class DeviceInfoUI;
class DeviceListView;
class DisplayPage;
} // namespace ui
namespace usb {
class BusScan;
}
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

    // The link to the instrument, which the pages are given.
    DeviceLink &link() const { return *m_link; }

    // State a test or the chart reads back.
    quint8 familyCode() const { return m_link->familyCode(); }
    quint32 tickCounter() const { return m_link->tickCounter(); }
    bool scanBusy() const { return m_link->scanBusy(); }
    bool runActive() const;
    bool deviceOpen() const { return m_link->deviceOpen(); }
    QString modelWord() const { return m_link->modelWord(); }
    const QVector<QPair<ui::DeviceInfoUI *, quint8>> &deviceList() const;
    // The run's recorded table (also the chart's samples), and the chart with its panels.
    Recorder &recorder() const { return *m_recorder; }
    app::ChartPage &chartPage() const { return *m_chartPage; }
    // The acquisition (its 500 ms cycle; tests stop its timer and step it themselves) and the run.
    acquire::Acquisition &acquisition() const { return *m_acquisition; }
    acquire::RunSession &runSession() const { return *m_session; }
    // The display page: live values, the run button, the chart's frame and the status line.
    ui::DisplayPage *displayPage() const { return m_displayPage; }

    void sendReport(const unsigned char *data, int length);

    // The lab link: its publisher, status and settings dialog.
    app::LabLinkWiring &labLink() const { return *m_labLink; }

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

public:
    void identifyModel();
    void startBusScan();

private:
    // title bar
    void closeFromTitleBar();
    // the link and the bus scan
    void onWatcherConnected(const QString &dev_str);
    void usbdisconnect();
    void refreshDisplay();
    void refreshSettingsPage();

    void initForm();
    void applyTitleGlyphs();
    void refreshTexts();
    void showUpgradeConnection(bool connected);
    void openDevice();
    void busScanEnded();
    void buildAcquisition();
    QString deviceTitle(const QString &tail) const;
    void explainOpenFailure();
    void stopWorkers();
    void setUpDisplayPage();
    SettingsPageBase *settingsPage() const;

    Ui::MainDialog *ui;
    InterfaceLanguage *m_language = nullptr;

    // timers and threads
    QTimer *upgradeTimer = nullptr;
    USBThread *m_usbThread = nullptr;
    FirmwarePage *m_firmwarePage = nullptr;

    DeviceLink *m_link = nullptr;
    usb::InstrumentCommands m_commands;

    // bus scan
    usb::BusScan *m_busScan = nullptr;
    ui::DeviceListView *m_devices = nullptr;
    app::StartHints *m_startHints = nullptr;

    ui::DisplayPage *m_displayPage = nullptr;
    app::PageNavigator *m_navigator = nullptr;
    Recorder *m_recorder = nullptr;
    acquire::RunSession *m_session = nullptr;
    acquire::Acquisition *m_acquisition = nullptr;
    app::ChartPage *m_chartPage = nullptr;

    app::LabLinkWiring *m_labLink = nullptr;
};
