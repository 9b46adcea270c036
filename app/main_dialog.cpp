// Construction, form set-up and shutdown of the main dialog.

#include "app/main_dialog.h"

#include "acquire/acquisition.h"
#include "usb/bus_scan.h"
#include "ui/catalogue_text.h"
#include "app/chart_page.h"
#include "usb/device_link.h"
#include "ui/device_list_view.h"
#include "ui/display_page.h"
#include "ui/firmware_page.h"
#include "app/frameless_frame.h"
#include "app/glyphs.h"
#include "app/header_icon.h"
#include "app/icon_helper.h"
#include "app/interface_language.h"
#include "app/lab_link_wiring.h"
#include "app/page_navigator.h"
#include "acquire/run_session.h"
#include "review/run_viewer.h"
#include "app/save_notices.h"
#include "settings/settings_file.h"
#include "ui/settings_page_hk07.h"
#include "ui/settings_page_nv05.h"
#include "ui/test_plan_page.h"
#include "app/start_hints.h"
#include "app/title_menu.h"
#include "ui_MainDialog.h"
#include "usb/connection_watcher.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

Q_LOGGING_CATEGORY(lcApp, "app")

MainDialog::MainDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::MainDialog), m_core(new acquire::InstrumentCore(this)),
      m_commands(&m_core->link(), [this] { return link().currentAddress(); })
{
    // Set while the dialog is still empty: changing them later re-creates the window and restyles
    // every widget in it.
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    setAttribute(Qt::WA_TranslucentBackground);

    // The upgrade page's own form is built when the page is first shown.
    m_firmwarePage = new FirmwarePage(this);
    ui->setupUi(this);
    ui->page_upgrade->layout()->addWidget(m_firmwarePage);
    initForm();

    DeviceLink *link = &m_core->link();
    const auto busAddress = [link] { return link->currentAddress(); };
    ui->page_settings->attach(link, busAddress);
    ui->NV05_settings_page->attach(link, busAddress);
    ui->page_plan->attach(*m_core);
    connect(link, &DeviceLink::settingsReplyArrived, this, &MainDialog::refreshSettingsPage);

    review::acceptRunFileDrops(this);
    ui->label_main_icon->setStyleSheet("border-image: url(:/sys/rs/rs/icon01_130x20.png);");
    setUpDisplayPage();

    ui->device_treeWidget->setHeaderLabels({tr("设备列表")});
    attachHeaderIcon(ui->device_treeWidget, "border-image: url(:/sys/rs/rs/list_20x20.png);",
                     "device_list_icon");

    connect(link, &DeviceLink::reportsApplied, this, &MainDialog::refreshDisplay);

    m_navigator = new app::PageNavigator(*ui, *m_displayPage, *m_firmwarePage, *link, this);
    IconHelper::shared().applyGlyph(ui->btn_search, QChar(glyph::Search), 11);

    m_chartPage = new app::ChartPage(*m_displayPage, recorder(), runSession(), *link, this);

    usb::BusScan &scan = m_core->busScan();
    m_devices = new ui::DeviceListView(scan, *link, ui->device_treeWidget, ui->label_searching,
                                       this);
    m_startHints = new app::StartHints(*ui->Tips_label, *ui->Start_label_permission, *link,
                                       *m_devices, this);
    connect(&scan, &usb::BusScan::currentDeviceChanged, this,
            [this](const QString &number) { m_displayPage->showDeviceTitle(deviceTitle(number)); });
    connect(ui->btn_search, &QPushButton::clicked, m_core, &acquire::InstrumentCore::scanBus);

    connect(m_core, &acquire::InstrumentCore::connected, this, &MainDialog::instrumentConnected);
    connect(m_core, &acquire::InstrumentCore::openFailed, this, &MainDialog::explainOpenFailure);
    connect(m_core, &acquire::InstrumentCore::scanStarted, m_startHints, &app::StartHints::showTips);
    connect(m_core, &acquire::InstrumentCore::identified, this, &MainDialog::instrumentIdentified);
    connect(m_core, &acquire::InstrumentCore::lost, this, &MainDialog::instrumentLost);

    // The upgrade page runs the transfer over the watcher's handle; without an upgrade in
    // progress every reply is dropped.
    ConnectionWatcher &watcher = m_core->watcher();
    connect(&watcher, &ConnectionWatcher::reportArrived, m_firmwarePage, &FirmwarePage::handleReport);
    connect(&watcher, &ConnectionWatcher::writeFailed, m_firmwarePage, &FirmwarePage::writeFailed);
    m_upgradeTimer = new QTimer(this);
    connect(m_upgradeTimer, &QTimer::timeout, m_firmwarePage, &FirmwarePage::tick);
    m_firmwarePage->attach(&watcher, m_upgradeTimer, link);

    // A failed save that went through later says where, as the stop would have.
    connect(&runSession(), &acquire::RunSession::savedOnRetry, this,
            [this](const SaveOutcome &saved) {
                showExportOutcome(m_displayPage->statusLine(), saved);
            });
    // Unsaved rows that no journal keeps go only if the user says so; else the new run keeps them.
    runSession().setClearQuestion([this](qint64 rows) {
        return QMessageBox::question(
                   this, tr("提示"),
                   tr("上次记录的 %1 条数据未能保存，也不在中断记录文件中。开始新的记录将丢弃它们。"
                      "\n丢弃它们吗？选“否”则保留，新的记录接在其后（可用“导出数据”保存）。")
                       .arg(rows),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    });
    prepareRecording(this, *m_core, m_displayPage->statusLine());
    m_labLink = new app::LabLinkWiring(*m_core, m_displayPage->statusLine(), this);
    new app::TitleMenu(*ui->btnMenu_Menu, *m_language, *m_labLink, this);
    if (!m_core->start())
        explainOpenFailure();
}

MainDialog::~MainDialog()
{
    m_core->stopWorkers();
    delete ui;
}

void MainDialog::initForm()
{
    m_language = new InterfaceLanguage(InterfaceLanguage::stored(), this);
    ui->retranslateUi(this);

    // Hover over the outer border must reach the dialog through the panels that cover it.
    ui->main_widget->setMouseTracking(true);
    ui->top_widget->setMouseTracking(true);

    applyTitleGlyphs();
    connect(ui->btnMenu_Min, &QPushButton::clicked, this, &QWidget::showMinimized);
    auto *frame = new app::FramelessFrame(this, ui->widgetTitle);
    connect(ui->btnMenu_Max, &QPushButton::clicked, frame, &app::FramelessFrame::toggleMaximised);
    connect(ui->btnMenu_Close, &QPushButton::clicked, this, &MainDialog::closeFromTitleBar);

    ui->widgetTitle->setProperty("form", "title");

    // Return belongs to the field it is typed in: no button of the dialog acts on it.
    for (QPushButton *button : findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void MainDialog::applyTitleGlyphs()
{
    IconHelper &icons = IconHelper::shared();
    icons.applyGlyph(ui->btnMenu_Min, QChar(glyph::Minimise), 9);
    icons.applyGlyph(ui->btnMenu_Max, QChar(glyph::Maximise), 9);
    icons.applyGlyph(ui->btnMenu_Close, QChar(glyph::Close), 9);
    icons.applyGlyph(ui->btnMenu_Menu, QChar(glyph::Menu), 9);
}

void MainDialog::explainOpenFailure()
{
    const hid::Backend &hidBackend = hid::backend();
    if (!hidBackend.lastOpenDeniedPermission())
        return;
    qCWarning(lcApp).noquote() << "USB instrument present but not accessible:"
                               << hidBackend.lastOpenError();
    m_startHints->showPermissionProblem(hidBackend.lastOpenError());
}

void MainDialog::closeFromTitleBar()
{
    m_core->stopWorkers();
    close();
}

void MainDialog::closeEvent(QCloseEvent *event)
{
    runSession().finish(acquire::RunSession::End::WindowClosed);
    const QString unsaved = recorder().unsavedRunNote();
    if (!unsaved.isEmpty())
        QMessageBox::information(this, tr("提示"), unsaved);
    m_core->stopWorkers();
    QDialog::closeEvent(event);
}

// Runs before the pages' own language changes, which then put back what they show.
void MainDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange && m_language) {
        ui->retranslateUi(this);
        refreshTexts();
    }
    QDialog::changeEvent(event);
}

// What the form's retranslation put back to its form values, shown again from what the dialog
// knows; the pages do the same for their own texts right after.
void MainDialog::refreshTexts()
{
    ui::showCatalogueTexts(this);
    m_navigator->retranslate();
    m_startHints->retranslate();
    refreshDisplay();
    ui->device_treeWidget->setHeaderLabels({tr("设备列表")});
    applyTitleGlyphs();
    m_devices->retranslate(); // the items keep their own state, not their master/slave captions
}
