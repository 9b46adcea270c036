// The display page's slots hand over to its controller, which does the work.

#include "main_dialog.h"

#include "acquisition.h"
#include "cd_pop_tips.h"
#include "device_link.h"
#include "display_page.h"
#include "ui_MainDialog.h"
#include "window_fit.h"

void MainDialog::setUpDisplayPage()
{
    m_displayPage =
        new DisplayPageController(ui->page_disp, m_link, &m_link->state(), m_session, this);
    connect(m_displayPage->popup(), &CDPopTips::CDPopTipsSendData_Signal, this,
            &MainDialog::CDPopTipsSendData_Slot);
    // The run button's text follows the run at the acquisition's pace.
    connect(m_acquisition, &acquire::Acquisition::stepped, m_displayPage,
            &DisplayPageController::refreshRunButton);
    adaptMainWindow(this);
}

void MainDialog::on_lineEdit_value_editingFinished()
{
    m_displayPage->finishInput(ui->lineEdit_value);
}

void MainDialog::on_lineEdit_value_zero_v_editingFinished()
{
    m_displayPage->finishInput(ui->lineEdit_value_zero_v);
}

void MainDialog::on_lineEdit_value_full_v_editingFinished()
{
    m_displayPage->finishInput(ui->lineEdit_value_full_v);
}

void MainDialog::on_lineEdit_value_full_a_editingFinished()
{
    m_displayPage->finishInput(ui->lineEdit_value_full_a);
}

void MainDialog::on_lineEdit_value_lilitime_h_editingFinished()
{
    m_displayPage->finishInput(ui->lineEdit_value_lilitime_h);
}

void MainDialog::on_lineEdit_value_limitime_m_editingFinished()
{
    m_displayPage->finishInput(ui->lineEdit_value_limitime_m);
}

void MainDialog::on_disp_Btn_Run_clicked()
{
    m_displayPage->toggleRun();
}

void MainDialog::on_disp_btn_RangCustom_clicked()
{
    m_displayPage->toggleRangePanel();
}

void MainDialog::CDPopTipsSendData_Slot(qint16 data)
{
    m_displayPage->sendPopupAnswer(data);
}
