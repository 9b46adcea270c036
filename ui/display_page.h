#pragma once
// The display page: the live values in large labels, the work mode's title, set-point and battery
// limits, the run button, the chart's frame and the status line. It shows the instrument's values
// through one call, sends what the user types or clicks as named commands, and starts and stops
// the run. The main dialog's form creates it in its page stack; attach() gives it the link and run.

#include "usb/instrument_commands.h"
#include "chart/live_chart.h"
#include "protocol/live_values.h"
#include "acquire/run_session.h"
#include "ui/status_line.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <utility>

class BatteryTestPopup;
class FrameSender;
class QAbstractButton;
class QLabel;
class QLineEdit;

namespace proto {
struct LinkState;
} // namespace proto

namespace ui {
namespace Ui {
class DisplayPage;
}

class DisplayPage : public QWidget
{
    Q_OBJECT
public:
    explicit DisplayPage(QWidget *parent = nullptr);
    ~DisplayPage() override;

    // `sender` takes the frames; `link` holds the instrument's live values and the bus address;
    // `session` is the run the run button starts and stops, whose ends (and the saves they make)
    // the status line tells. All outlive the page.
    void attach(FrameSender *sender, const proto::LinkState *link, acquire::RunSession *session);

    // The latest readings and settings of an instrument of `familyCode`: every value label, the
    // mode's title, caption and unit, the inputs the user is not typing in, and the battery-test
    // question.
    void showLive(const proto::LiveValues &live, quint8 familyCode);

    // A work mode chosen on the home page: its title, set-point caption and unit (catalogue
    // sources of the main dialog's context), and the run button.
    void showModeChosen(const char *title, const char *caption, const char *unit, bool battery);
    // A tile that only shows the chart: no set-point, limits, run button or MOS values.
    void showChartOnly(const char *title);
    // The HK09 has no full-charge limits.
    void setFullChargeShown(bool shown);
    // The instrument's title over the page, and the chart title the user chose.
    void showDeviceTitle(const QString &title);
    void setChartTitle(const QString &title);
    // Its glyph follows the language's font, which the main dialog's icon helper gives.
    QAbstractButton *returnButton() const;
    // The title the user gave the chart, for its picture.
    QString chartTitle() const;
    // The line under the chart: where a run was saved, or why not, and other news.
    ui::StatusLine &statusLine() { return m_statusLine; }
    // The chart's frame, over which its panels open; showChart() puts the chart in it.
    QWidget *chartArea() const;
    void showChart(LiveChart &chart);

    // The axis-range panel the range button shows and hides; the page owns an empty stand-in
    // until one is given. The panel becomes a child of the chart's frame.
    void setRangePanel(QWidget *panel);
    QWidget *rangePanel() const { return m_rangePanel; }
    // The battery-test question, built on first use.
    BatteryTestPopup *popup();

    // Run button text from the run's load state, unless the pointer rests on the button.
    void refreshRunButton();

    // The page's contents are built when it is first shown, or first asked for.
    void setVisible(bool visible) override;
    Q_INVOKABLE void ensureContents() const;
    bool hasContents() const { return bool(m_ui); }
signals:
    void homeRequested();
    void settingsRequested();
    void upgradeRequested();
    void chartMenuRequested();
    // One of the chart's three view buttons, whether or not the chart is built yet.
    void chartViewToggled(LiveChart::View view);
    // The contents exist now (the return button, for its glyph).
    void contentsBuilt();

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildContents();
    // After a language switch, the page's texts come back from what it knows, not from the form.
    void retranslate();
    void giveTypingBack();
    void showRunText(const char *text);
    void showRunTip(const char *tip);
    void connectControls();
    void finishInput(QLineEdit *edit);
    void toggleRun();
    void toggleRangePanel();
    void askChartTitle();
    void sendPopupAnswer(qint16 answer);
    void followPopup(const proto::LiveValues &live);
    bool batteryMode() const;
    void placePopup();
    void showRunState(bool on);
    void showStopped();
    void showRunning();
    void showRunEnd(const SaveOutcome &outcome);

    std::unique_ptr<Ui::DisplayPage> m_ui;
    std::unique_ptr<usb::InstrumentCommands> m_commands;
    const proto::LinkState *m_link = nullptr;
    acquire::RunSession *m_session = nullptr;
    quint8 m_family = 0;
    ui::StatusLine m_statusLine;
    const char *m_runTip = nullptr; // the catalogue source of the run button's tool tip
    bool m_shownLoadOn = false;     // the run button's text stands for a load that is on
    bool m_questionEnded = false;   // the battery-test question closed since the last start
    std::optional<QString> m_chartTitle;
    QString m_deviceTitle;               // null until an instrument is chosen
    QHash<QLineEdit *, QString> m_typed; // what the user is typing and has not finished
    std::unique_ptr<BatteryTestPopup> m_popup;
    QPointer<QWidget> m_rangePanel;
    // Kept while the page has no contents.
    std::optional<std::pair<proto::LiveValues, quint8>> m_liveUnshown;
    const char *m_titleUnshown = nullptr;
    std::pair<const char *, const char *> m_captionUnshown{}; // caption and unit
    const char *m_runTextUnshown = nullptr;
    std::optional<bool> m_fullChargeShown;
};
} // namespace ui
