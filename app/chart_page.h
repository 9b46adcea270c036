#pragma once
// The display page's chart: the live chart over the recorded run, its axis-range and curve
// panels, and the chart menu with its two exports (the run's data file and the chart's picture)
// and follow modes. The display page is its frame; the main dialog creates it once.

#include <QObject>
#include <QPointer>

class CurvePanel;
class DeviceLink;
class LiveChart;
class Recorder;
class customcoordinates;
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

    LiveChart &liveChart() const { return *m_liveChart; }
    customcoordinates *axisRangePanel() const { return m_axisRangePanel; }
    CurvePanel *curvePanel() const;

private:
    void showMenu();
    void exportData();
    void exportPicture();

    ui::DisplayPage &m_page;
    Recorder &m_recorder;
    DeviceLink &m_link;
    QWidget *m_window;
    customcoordinates *m_axisRangePanel = nullptr;
    LiveChart *m_liveChart = nullptr;
    QPointer<CurvePanel> m_curvePanel;
};

} // namespace app
