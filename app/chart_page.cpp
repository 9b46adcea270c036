// The chart's construction, its menu and the two exports.

#include "app/chart_page.h"

#include "chart/curve_panel.h"
#include "chart/axis_range_panel.h"
#include "usb/device_link.h"
#include "ui/display_page.h"
#include "chart/live_chart.h"
#include "record/recorder.h"
#include "acquire/run_saving.h"
#include "acquire/run_session.h"
#include "app/save_notices.h"
#include "settings/settings_file.h"

#include <QCursor>
#include <QFileInfo>
#include <QFileDialog>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

namespace app {

ChartPage::ChartPage(ui::DisplayPage &page, Recorder &recorder, acquire::RunSession &session,
                     DeviceLink &link, QWidget *window)
    : QObject(window), m_page(page), m_recorder(recorder), m_link(link), m_window(window)
{
    // A new run starts a new window.
    connect(&session, &acquire::RunSession::started, this, &ChartPage::runStarted);
    connect(&m_page, &ui::DisplayPage::chartMenuRequested, this, &ChartPage::showMenu);
    connect(&m_page, &ui::DisplayPage::chartViewToggled, this,
            [this](LiveChart::View view) { liveChart().toggleView(view); });
    // Built with the page's contents, which come just before its first show: the caption fitting
    // of that show finds the chart's panels in place.
    connect(&m_page, &ui::DisplayPage::contentsBuilt, this, [this] {
        if (!m_liveChart)
            build();
    });
    if (m_page.hasContents())
        build();
}

void ChartPage::build()
{
    m_axisRangePanel = new AxisRangePanel(m_page.chartArea());
    m_axisRangePanel->setObjectName("AxisRangePanel");
    m_axisRangePanel->hide();
    m_page.setRangePanel(m_axisRangePanel); // its button shows and hides the panel

    m_liveChart = new LiveChart(
        m_recorder, [this](int slot) { return m_axisRangePanel->range(slot); }, this);
    m_page.showChart(*m_liveChart);
    m_axisRangePanel->setRangeInUse([this](int row) { return m_liveChart->rangeInUse(row); });
    connect(m_axisRangePanel, &AxisRangePanel::rangesChanged, m_liveChart,
            &LiveChart::applyAxisRanges);

    if (m_currentRange)
        m_liveChart->setCurrentAxisRange(m_currentRange->first, m_currentRange->second);
    if (m_runStartSecs)
        m_liveChart->reanchor(*m_runStartSecs, *m_runStartSecs + 10);
    m_liveChart->takeRecordedRows();
    if (m_page.isVisible())
        m_liveChart->view()->show(); // else the layout would show it only after the first paint
}

LiveChart &ChartPage::liveChart()
{
    if (!m_liveChart)
        build();
    return *m_liveChart;
}

AxisRangePanel *ChartPage::axisRangePanel()
{
    if (!m_liveChart)
        build();
    return m_axisRangePanel;
}

void ChartPage::runStarted()
{
    if (m_liveChart)
        m_liveChart->restartWindow();
    else
        m_runStartSecs = m_recorder.timelineNow() / 1000;
}

void ChartPage::setCurrentAxisRange(double minimum, double maximum)
{
    if (m_liveChart)
        m_liveChart->setCurrentAxisRange(minimum, maximum);
    else
        m_currentRange = std::make_pair(minimum, maximum);
}

// The menu is built afresh at each click, in the language now in use, and shown at the pointer.
// It is not set on its button: a button with a menu opens that old menu itself and never signals
// its click again.
void ChartPage::showMenu()
{
    auto *menu = new QMenu(m_window);
    menu->setObjectName("chart_menu");
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    menu->addAction(QIcon(":/sys/rs/rs/ExportData.png"), tr("导出数据(.csv)"), this,
                    &ChartPage::exportData);
    menu->addAction(QIcon(":/sys/rs/rs/ExportImage.png"), tr("导出图片(.png)"), this,
                    &ChartPage::exportPicture);
    menu->addAction(QIcon(":/sys/rs/rs/MoreSettings.png"), tr("曲线设置"), this, [this] {
        CurvePanel::openOver(m_curvePanel, liveChart(), m_window, m_page.chartArea());
    });
    menu->addAction(QIcon(":/sys/rs/rs/AccuGrpDisp.png"), tr("累计图显"), this,
                    [this] { liveChart().setDisplayMode(LiveChart::Accumulated); });
    menu->addAction(QIcon(":/sys/rs/rs/ScrollDisp.png"), tr("滚动图显"), this,
                    [this] { liveChart().setDisplayMode(LiveChart::Scrolling); });
    menu->addAction(tr("开发中..."));
    menu->popup(QCursor::pos());
}

void ChartPage::exportData()
{
    if (m_recorder.rowCount() < DataFileSaver::kMinimumRows) {
        QMessageBox::information(m_window, tr("提示信息"),
                                 tr("<font color='red'>数据太少了吧，请记录至少十条数据。</font>"),
                                 QMessageBox::Ok);
        return;
    }
    const DataFolder folder = acquire::programDataFolder();
    QString error;
    if (!makeDataFolder(folder, &error))
        qCWarning(lcApp).noquote() << "data folder:" << error;
    const QString file =
        QFileDialog::getSaveFileName(m_window, tr("Excel file"), folder.path, tr("Files (*.csv)"));
    if (file.isEmpty())
        return;
    // The dialog has asked before it returns a file that exists: the user agreed to replace it.
    const bool replace = QFileInfo::exists(file);
    const bool written = m_recorder.exportRun(file, m_recorder.familyCode(), replace, &error);
    const SaveOutcome outcome{
        written ? SaveOutcome::Result::Written : SaveOutcome::Result::Failed, file, error};
    if (!written) {
        showExportOutcome(m_page.statusLine(), outcome);
        qCWarning(lcApp).noquote() << "export not saved:" << file << error;
        return;
    }
    // The export's folder becomes the data folder of later runs: said when it changes.
    const QString savePath = savePathOf(file);
    const bool moved = QFileInfo(savePath) != QFileInfo(folder.path);
    SettingsFile().write("save_path", savePath);
    showExportOutcome(m_page.statusLine(), outcome, moved ? savePath : QString());
}

CurvePanel *ChartPage::curvePanel() const
{
    return m_curvePanel;
}

void ChartPage::exportPicture()
{
    showExportOutcome(m_page.statusLine(),
                      liveChart().exportImage(m_window, m_page.chartTitle(), m_link.modelWord()));
}

} // namespace app
