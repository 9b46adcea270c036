#pragma once
// What the user does on the display page: sends set-points and battery limits, starts and stops
// the load, opens the axis-range panel and answers the battery-test question. Works on the
// widgets of the main dialog's form, found by object name below the page.

#include "instrument_commands.h"
#include "run_session.h"
#include "status_line.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class CDPopTips;
class FrameSender;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace proto {
struct LinkState;
struct LiveValues;
} // namespace proto

class DisplayPageController : public QObject
{
    Q_OBJECT
public:
    // `page` is page_disp of the main dialog's form; `link` holds the instrument's live values and
    // the bus address; `session` is the run the run button starts and stops, whose ends (and the
    // saves they make) the status line tells. All outlive the page controller.
    DisplayPageController(QWidget *page, FrameSender *sender, const proto::LinkState *link,
                          acquire::RunSession *session, QObject *parent = nullptr);
    ~DisplayPageController() override;

    // The axis-range panel the range button shows and hides; the page owns an empty stand-in
    // until one is given. The panel becomes a child of the chart container.
    void setRangePanel(QWidget *panel);
    QWidget *rangePanel() const { return m_rangePanel; }

    CDPopTips *popup() const { return m_popup.get(); }

    // The editingFinished of one of the six inputs. Sends only for Return/Enter: when the input
    // has lost the focus already, it only gives the field back to the refresh.
    void finishInput(QLineEdit *edit);
    // The run button: asks the instrument to switch its load; a start begins a new run,
    // a stop ends the run, which saves it.
    void toggleRun();
    void toggleRangePanel();
    void sendPopupAnswer(qint16 answer);
    // Run button text from the run's load state, unless the pointer rests on the button.
    void refreshRunButton();
    // The battery-test popup follows the instrument's question.
    void followPopup(const proto::LiveValues &live);
    // Shows the button texts of a stopped run (after a stop or a lost device).
    void showStopped();
    // The run button of a work mode just chosen on the home page.
    void showModeChosen(bool battery);
    // The line under the chart: where a run was saved, or why not, and other news.
    ui::StatusLine &statusLine() { return m_statusLine; }
    // The chart title the user chose, and the instrument's title over the page.
    void setChartTitle(const QString &title);
    void showDeviceTitle(const QString &title);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    template <typename T> T *widget(const char *name) const;
    bool batteryMode() const;
    void placePopup();
    void showRunState(bool on);
    void showRunning();
    void showRunEnd(const SaveOutcome &outcome);
    void showRunText(const char *text);
    void showRunTip(const char *tip);
    // After a language switch, the page's texts come back from what it knows, not from the form.
    void retranslate();
    void giveTypingBack();

    QWidget *m_page;
    usb::InstrumentCommands m_commands;
    const proto::LinkState *m_link;
    acquire::RunSession *m_session;
    QWidget *m_container;
    QPushButton *m_run;
    ui::StatusLine m_statusLine;
    const char *m_runTip = nullptr; // the catalogue source of the run button's tool tip
    std::optional<QString> m_chartTitle;
    QString m_deviceTitle;               // null until an instrument is chosen
    QHash<QLineEdit *, QString> m_typed; // what the user is typing and has not finished
    std::unique_ptr<CDPopTips> m_popup;
    QPointer<QWidget> m_rangePanel;
};
