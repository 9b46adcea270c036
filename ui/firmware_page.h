#pragma once
// The firmware upgrade page: loads an image from a .bin file, switches the instrument to its
// loader and shows the transfer that UpgradeTransfer runs through the watcher's handle.

#include "acquire/upgrade_transfer.h"
#include "protocol/upgrade_packets.h"

#include <optional>

#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace Ui {
class FirmwarePage;
}
class QAbstractButton;
class QLabel;
class QTimer;
class DeviceLink;
class ConnectionWatcher;

class FirmwarePage : public QWidget
{
    Q_OBJECT
public:
    explicit FirmwarePage(QWidget *parent = nullptr);
    ~FirmwarePage() override;

    // The watcher carries the packets, hands over the loader's replies on its own thread and says
    // whether it holds the device; `upgradeTimer` gives the 100 ms ticks (its timeout must reach
    // tick()); the link's poll cycle sends the upgrade-entry frame.
    void attach(ConnectionWatcher *watcher, QTimer *upgradeTimer, DeviceLink *link);

    UpgradeTransfer &transfer() { return *m_transfer; }
    // The form is built when the page is first shown or one of its widgets is asked for: the
    // window's first paint does not wait for a page it does not show.
    QLabel *titleLabel();
    QAbstractButton *returnButton();
    bool hasForm() const { return ui != nullptr; }

    // Entering the page before any transfer, or with a new image: the bar back to 0 with the
    // text "loading". After a transfer the bar keeps showing where it ended.
    void prepareProgress();
    void showDeviceName(const QString &name);
    // The watcher found or lost the device while the page is shown: a log line.
    void noteConnected(const QString &name);
    void noteDisconnected();
    // The connection picture; a lost device ends a running transfer.
    void showConnection(bool connected);

    // Checks and takes the image in a .bin file, as the Browse button does after its dialog.
    void loadImage(const QString &path);

    // The instrument switches to its loader and the image goes out, as the start button does
    // once the user has confirmed.
    void beginUpgrade();
    // The watcher's replies and write failures, and the upgrade timer's ticks.
    void handleReport(const QByteArray &report);
    void tick();
    void writeFailed();

    // How long the instrument is given to enter its loader (3000 ms; shorter in tests).
    static void setLoaderEntryWaitMs(int ms);

public slots:
    void on_upgrade_pushButton_openfile_clicked();
    void on_upgrade_pushButton_start_clicked();

signals:
    void returnRequested();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    Ui::FirmwarePage &form();
    void log(const QString &line);
    void showState(UpgradeTransfer::State state);
    void showProgress(int value, const QString &text);
    void paintProgress();
    void refuseFile(const QString &title, const QString &box, const QString &logLine);
    void warn(const QString &title, const QString &text);
    void setStartText(const QString &fixedText);
    void waitForLoader();
    // Asks once, naming the file, its size and the instrument's model and version.
    bool confirmUpgrade();
    static QString imageProblem(const proto::ImageCheck &check);

    Ui::FirmwarePage *ui = nullptr; // null until first needed
    // What the form shows once built, kept while it is not.
    QString m_deviceName;
    std::optional<bool> m_connected;
    QStringList m_pendingLog;
    UpgradeTransfer *m_transfer = nullptr;
    QPointer<ConnectionWatcher> m_watcher;
    QPointer<QTimer> m_upgradeTimer;
    QPointer<DeviceLink> m_link;
    QString m_startText; // an untranslated start text that survives a language switch
    QTimer *m_barTimer = nullptr;
    QElapsedTimer m_sinceBarPainted;
    int m_barValue = 0;
    QString m_barText; // not yet shown; empty: the bar keeps its text
};
