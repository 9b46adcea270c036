#pragma once
// The display page's chart: the live chart over the recorded run, its axis-range and curve
// panels, and the chart menu with its two exports (the run's data file and the chart's picture)
// and follow modes. The display page is its frame; the main dialog creates it once.
//
// The chart itself is built with the display page's contents (at its first show, or when either
// is first asked for): until then it only notes what it must start from; the rows stay in the
// recorder, which the chart reads whole once built.

#include <QObject>
#include <QPointer>

#include <optional>
#include <utility>

class CurvePanel;
class DeviceLink;
class LiveChart;
class Recorder;
class AxisRangePanel;
namespace acquire {
class RunSession;
}
namespace ui {
class DisplayPage;
}

namespace app {

class ChartPage : public QObject
{
    Q_OBJECT
public:
    // All outlive the chart page; `link` gives the family that lays out the data file and the
    // model word that names the picture.
    ChartPage(ui::DisplayPage &page, Recorder &recorder, acquire::RunSession &session,
              DeviceLink &link, QWidget *window);

    // Both build the chart if it is not built yet.
    LiveChart &liveChart();
    AxisRangePanel *axisRangePanel();
    CurvePanel *curvePanel() const;

    // The current axis range an identified model asks for; kept until the chart is built.
    void setCurrentAxisRange(double minimum, double maximum);

private:
    void build();
    void runStarted();
    void showMenu();
    void exportData();
    void exportPicture();

    ui::DisplayPage &m_page;
    Recorder &m_recorder;
    DeviceLink &m_link;
    QWidget *m_window;
    // What happened before the chart was built, in the seconds of the run's time line.
    std::optional<qint64> m_runStartSecs;
    std::optional<std::pair<double, double>> m_currentRange;
    AxisRangePanel *m_axisRangePanel = nullptr;
    LiveChart *m_liveChart = nullptr;
    QPointer<CurvePanel> m_curvePanel;
};

} // namespace app
