// The display page's live chart and the recorded run behind it: construction, the view toggles,
// the axis-range and curve panels, and the chart menu's picture export and follow modes.

#include "main_dialog.h"

#include "curve_panel.h"
#include "custom_coordinates.h"
#include "display_page.h"
#include "live_chart.h"
#include "recorder.h"
#include "run_session.h"
#include "save_notices.h"
#include "ui_MainDialog.h"

void MainDialog::buildChart()
{
    m_axisRangePanel = new customcoordinates(m_displayPage->chartArea());
    m_axisRangePanel->setObjectName("customcoordinates");
    m_axisRangePanel->hide();
    m_displayPage->setRangePanel(m_axisRangePanel); // its button shows and hides the panel

    m_liveChart = new LiveChart(
        *m_recorder, [this](int slot) { return m_axisRangePanel->range(slot); }, this);
    m_displayPage->showChart(*m_liveChart);
    connect(m_axisRangePanel, &customcoordinates::RangChang_signal, m_liveChart,
            &LiveChart::RangChang_slot);

    // The chart reads the recorder's store; a new run starts a new window.
    connect(m_session, &acquire::RunSession::started, m_liveChart, &LiveChart::restartWindow);
    connect(this, &MainDialog::currentAxisRangeChosen, m_liveChart,
            &LiveChart::setCurrentAxisRange);
}

void MainDialog::onAct2Clicked_Slot()
{
    showExportOutcome(m_displayPage->statusLine(),
                      m_liveChart->exportImage(this, m_displayPage->chartTitle(), modelWord()));
}

void MainDialog::onAct3Clicked_Slot()
{
    CurvePanel::openOver(m_curvePanel, *m_liveChart, this, m_displayPage->chartArea());
}

void MainDialog::onAct4Clicked_Slot()
{
    m_liveChart->setDisplayMode(LiveChart::Accumulated);
}

void MainDialog::onAct5Clicked_Slot()
{
    m_liveChart->setDisplayMode(LiveChart::Scrolling);
}

CurvePanel *MainDialog::curvePanel() const
{
    return m_curvePanel;
}
