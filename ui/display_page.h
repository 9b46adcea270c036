#pragma once
// What the user does on the display page: sends set-points and battery limits, starts and stops
// the load, opens the axis-range panel and answers the battery-test question. Works on the
// widgets of the main dialog's form, found by object name below the page.

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

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
    // `page` is page_disp of the main dialog's form; `link` holds the instrument's live values,
    // its run state and the bus address. Both outlive the page controller.
    DisplayPageController(QWidget *page, FrameSender *sender, proto::LinkState *link,
                          QObject *parent = nullptr);
    ~DisplayPageController() override;

    // Writes the recorded run to a data file when a run stops; answers what label_left_tips shows:
    // "Data_Path:" and the path or "No data.", or why the save failed. Without a saver a stop
    // writes nothing and the status line says so.
    using RunSaver = std::function<QString()>;
    void setRunSaver(RunSaver saver) { m_saveRun = std::move(saver); }

    // The axis-range panel the range button shows and hides; the page owns an empty stand-in
    // until one is given. The panel becomes a child of the chart container.
    void setRangePanel(QWidget *panel);
    QWidget *rangePanel() const { return m_rangePanel; }

    CDPopTips *popup() const { return m_popup.get(); }

    // The editingFinished of one of the six inputs. Sends only for Return/Enter: when the input
    // has lost the focus already, it only gives the field back to the refresh.
    void finishInput(QLineEdit *edit);
    // The run button: flips the run state, sends 0x25, and on a stop saves the recorded run.
    // Answers the new run flag.
    bool toggleRun();
    void toggleRangePanel();
    void sendPopupAnswer(qint16 answer);
    // Run button text every 500 ms, unless the pointer rests on the button.
    void refreshRunButton();
    // The battery-test popup follows the instrument's question.
    void followPopup(const proto::LiveValues &live);
    // Shows the button texts of a stopped run (after a stop or a lost device).
    void showStopped();

signals:
    // A run starts: the chart restarts its time window, the recorded run and the series empty.
    void runStarted();

private:
    template <typename T> T *widget(const char *name) const;
    void send(const unsigned char *data, int length);
    bool batteryMode() const;
    void placePopup();

    QWidget *m_page;
    FrameSender *m_sender;
    proto::LinkState *m_link;
    QWidget *m_container;
    QPushButton *m_run;
    QLabel *m_status;
    std::unique_ptr<CDPopTips> m_popup;
    QPointer<QWidget> m_rangePanel;
    RunSaver m_saveRun;
};
