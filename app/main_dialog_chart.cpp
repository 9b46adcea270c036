// The display page's live chart and the recorded run behind it: construction, the view toggles,
// the axis-range and curve panels, and the chart menu's picture export and follow modes.

#include "main_dialog.h"

#include "curve_panel.h"
#include "run_session.h"
#include "custom_coordinates.h"
#include "display_page.h"
#include "live_chart.h"
#include "recorder.h"
#include "save_notices.h"
#include "ui_MainDialog.h"

void MainDialog::buildChart()
{
    m_axisRangePanel = new customcoordinates(ui->widget);
    m_axisRangePanel->setObjectName("customcoordinates");
    m_axisRangePanel->hide();
    connect(m_axisRangePanel, &customcoordinates::RangChang_signal, this,
            &MainDialog::RangChang_slot);
    m_displayPage->setRangePanel(m_axisRangePanel); // its button shows and hides the panel

    m_liveChart = new LiveChart(
        *m_recorder, [this](int slot) { return m_axisRangePanel->range(slot); }, this);
    m_liveChart->setViewButtons(ui->disp_btn_dp_dm, ui->disp_btn_cc1_cc2, ui->disp_btn_temp);
    m_liveChart->view()->setObjectName("disp_chartView");
    ui->disap_gridLayout->addWidget(m_liveChart->view());

    // The chart reads the recorder's store; a new run starts a new window.
    connect(m_session, &acquire::RunSession::started, m_liveChart, &LiveChart::restartWindow);
    connect(this, &MainDialog::currentAxisRangeChosen, m_liveChart,
            &LiveChart::setCurrentAxisRange);
}

void MainDialog::RangChang_slot()
{
    m_liveChart->RangChang_slot();
}

void MainDialog::on_disp_btn_dp_dm_clicked()
{
    m_liveChart->toggleView(LiveChart::View::EleCap);
}

void MainDialog::on_disp_btn_cc1_cc2_clicked()
{
    m_liveChart->toggleView(LiveChart::View::CpuNtc);
}

void MainDialog::on_disp_btn_temp_clicked()
{
    m_liveChart->toggleView(LiveChart::View::Mos);
}

void MainDialog::onAct2Clicked_Slot()
{
    showExportOutcome(m_displayPage->statusLine(),
                      m_liveChart->exportImage(this, ui->disp_btn_title->text(), modelWord()));
}

void MainDialog::onAct3Clicked_Slot()
{
    CurvePanel::openOver(m_curvePanel, *m_liveChart, this, ui->widget);
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
