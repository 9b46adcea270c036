// Page navigation: the two home grids, return buttons, display-page shortcuts, the chart title
// prompt, the chart and language menus, and switching the language at run time.

#include "main_dialog.h"

#include "bus_device_list.h"
#include "device_link.h"
#include "display_page.h"
#include "firmware_page.h"
#include "glyphs.h"
#include "home_tiles.h"
#include "icon_helper.h"
#include "interface_language.h"
#include "run_time_texts.h"
#include "run_viewer.h"
#include "setting.h"
#include "ui_MainDialog.h"

#include <QActionGroup>
#include <QCursor>
#include <QLoggingCategory>
#include <QMenu>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

using namespace home;

void MainDialog::buildHomeGrids()
{
    auto build = [this](const QString &prefix, const Tile *tiles, int count,
                        QVector<QToolButton *> &buttons) {
        for (int i = 0; i < count; ++i) {
            auto *button = findChild<QToolButton *>(prefix + QString::number(i + 1));
            if (!button)
                continue;
            const Tile &tile = tiles[i];
            const QPixmap picture =
                tile.glyph
                    ? IconHelper::shared().glyphPixmap("#FEFEFE", QChar(tile.glyph), 50, 100, 70)
                    : QPixmap(QString(":/sys/rs/rs/img/%1.png").arg(tile.image, 2, 10, QChar('0')));
            button->setIcon(QIcon(picture));
            button->setStyleSheet(tileStyle(tile.background));
            connect(button, &QToolButton::clicked, this, &MainDialog::buttonClicked);
            buttons.append(button);
        }
    };
    build("tbtn", homeTiles().tiles, homeTiles().count, m_homeButtons);
    build("NV05_tbtn", nv05Tiles().tiles, nv05Tiles().count, m_nv05Buttons);
    retextHomeGrids();
}

void MainDialog::retextHomeGrids()
{
    auto retext = [this](const Tile *tiles, const QVector<QToolButton *> &buttons) {
        for (int i = 0; i < buttons.size(); ++i) {
            buttons[i]->setText(tr(tiles[i].name));
            buttons[i]->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            buttons[i]->setIconSize(QSize(100, 70));
        }
    };
    retext(homeTiles().tiles, m_homeButtons);
    retext(nv05Tiles().tiles, m_nv05Buttons);
}

void MainDialog::applyReturnGlyph(QAbstractButton *button)
{
    IconHelper::shared().applyGlyph(button, QChar(glyph::Return), 16);
}

void MainDialog::applyHomeGlyph()
{
    IconHelper::shared().applyGlyph(ui->btnReturn, QChar(glyph::Home), 16);
}

void MainDialog::prepareUpgradeProgress()
{
    m_firmwarePage->prepareProgress();
}

void MainDialog::buttonClicked()
{
    auto *button = qobject_cast<QAbstractButton *>(sender());
    if (!button)
        return;
    // The tile is known by its place in its grid, never by its (translated) text.
    const Tile *tile = nullptr;
    if (const int i = m_homeButtons.indexOf(qobject_cast<QToolButton *>(button)); i >= 0)
        tile = &homeTiles().tiles[i];
    else if (const int j = m_nv05Buttons.indexOf(qobject_cast<QToolButton *>(button)); j >= 0)
        tile = &nv05Tiles().tiles[j];
    if (!tile)
        return;
    const Tile &row = *tile;
    const QString text = tr(row.name);
    qCDebug(lcApp) << text;
    switch (row.action) {
    case TileAction::Display:
    case TileAction::ChartOnly:
        ui->disp_stackedWidget->setCurrentIndex(DisplayPage);
        applyReturnGlyph(m_displayPage->returnButton());
        if (row.action == TileAction::ChartOnly)
            m_displayPage->showChartOnly(text);
        else
            m_displayPage->showModeChosen(text, tr(row.caption), tr(row.unit),
                                          row.run == RunTexts::Battery);
        break;
    case TileAction::Upgrade:
        ui->disp_stackedWidget->setCurrentIndex(UpgradePage);
        m_firmwarePage->titleLabel()->setText(text);
        applyReturnGlyph(m_firmwarePage->returnButton());
        prepareUpgradeProgress();
        break;
    case TileAction::Settings:
        openSettingsPage(text);
        break;
    case TileAction::Six:
        ui->disp_stackedWidget->setCurrentIndex(SixPage);
        ui->six_labTitle->setText(text);
        applyReturnGlyph(ui->six_btnReturn);
        break;
    }
    if (row.mode)
        m_commands.chooseWorkMode(*row.mode);
}

// The return buttons of the display, upgrade, settings and six pages.
void MainDialog::goHomeAfterReturn(bool sixPage)
{
    if (ui->disp_stackedWidget->currentIndex() == HomePage)
        return;
    if (familyCode() == 1) {
        ui->disp_stackedWidget->setCurrentIndex(HomePage);
        ui->labTitle->setText(tr("测试仪主界面"));
        applyHomeGlyph();
    } else if (familyCode() == 4) {
        ui->disp_stackedWidget->setCurrentIndex(Nv05HomePage);
        if (!sixPage)
            ui->labTitle->setText(tr("电能表主界面"));
        applyHomeGlyph();
    }
    m_commands.returnHome();
}

void MainDialog::on_upgrade_btnReturn_clicked()
{
    goHomeAfterReturn(false);
}
void MainDialog::on_settings_btnReturn_clicked()
{
    goHomeAfterReturn(false);
}
void MainDialog::on_six_btnReturn_clicked()
{
    goHomeAfterReturn(true);
}

void MainDialog::on_four_btnReturn_clicked()
{
    if (ui->disp_stackedWidget->currentIndex() == HomePage)
        return;
    ui->disp_stackedWidget->setCurrentIndex(HomePage);
    ui->labTitle->setText(tr("测试仪主界面"));
    applyHomeGlyph();
    m_commands.returnHome();
}

void MainDialog::on_five_btnReturn_clicked()
{
    on_four_btnReturn_clicked();
}

void MainDialog::on_NV05_settings_btnReturn_clicked()
{
    if (ui->disp_stackedWidget->currentIndex() != HomePage) {
        ui->disp_stackedWidget->setCurrentIndex(Nv05HomePage);
        ui->labTitle->setText(tr("NV05主界面"));
        applyHomeGlyph();
    }
    m_commands.returnHome();
}

void MainDialog::openUpgradePage()
{
    ui->disp_stackedWidget->setCurrentIndex(UpgradePage);
    m_firmwarePage->titleLabel()->setText("固件升级");
    applyReturnGlyph(m_firmwarePage->returnButton());
    prepareUpgradeProgress();
}

// The settings page of the instrument's family, from its home tile or the display page's
// shortcut: the page, its title and return glyph, and the instrument told and asked.
void MainDialog::openSettingsPage(const QString &title)
{
    const bool nv05 = familyCode() == DeviceLink::Nv05Family;
    if (nv05 || familyCode() == DeviceLink::Hk07Family) {
        ui->disp_stackedWidget->setCurrentIndex(nv05 ? Nv05SettingsPage : SettingsPage);
        (nv05 ? ui->NV05_settings_labTitle : ui->settings_labTitle)->setText(title);
        applyReturnGlyph(nv05 ? ui->NV05_settings_btnReturn : ui->settings_btnReturn);
    }
    m_commands.requestSettings();
    m_commands.enterSettingsPage();
}

// Both menus are built afresh at each click, in the language now in use, and shown at the
// pointer. They are not set on their buttons: a button with a menu opens that old menu itself
// and never calls its click slot again.
void MainDialog::showChartMenu()
{
    auto *menu = new QMenu(this);
    menu->setObjectName("chart_menu");
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    menu->addAction(QIcon(":/sys/rs/rs/ExportData.png"), tr("导出数据(.csv)"), this,
                    &MainDialog::onAct1Clicked_Slot);
    menu->addAction(QIcon(":/sys/rs/rs/ExportImage.png"), tr("导出图片(.png)"), this,
                    &MainDialog::onAct2Clicked_Slot);
    menu->addAction(QIcon(":/sys/rs/rs/MoreSettings.png"), tr("曲线设置"), this,
                    &MainDialog::onAct3Clicked_Slot);
    menu->addAction(QIcon(":/sys/rs/rs/AccuGrpDisp.png"), tr("累计图显"), this,
                    &MainDialog::onAct4Clicked_Slot);
    menu->addAction(QIcon(":/sys/rs/rs/ScrollDisp.png"), tr("滚动图显"), this,
                    &MainDialog::onAct5Clicked_Slot);
    menu->addAction(tr("开发中..."));
    menu->popup(QCursor::pos());
}

void MainDialog::on_btnMenu_Menu_clicked()
{
    auto *menu = new QMenu(this);
    menu->setObjectName("language_menu");
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    auto *choice = new QActionGroup(menu);
    const auto add = [&](const QIcon &icon, const QString &text, void (MainDialog::*slot)(),
                         InterfaceLanguage::Language language) {
        QAction *action = menu->addAction(icon, text, this, slot);
        action->setCheckable(true);
        action->setChecked(m_language->current() == language);
        choice->addAction(action);
    };
    add(QIcon(QPixmap(":/sys/rs/rs/cn_en.png").scaled(100, 100)), tr("简体中文"),
        &MainDialog::onS_Act1Clicked_Slot, InterfaceLanguage::Chinese);
    add(QIcon(), tr("English"), &MainDialog::onS_Act2Clicked_Slot, InterfaceLanguage::English);
    menu->addSeparator();
    menu->addAction(QIcon(":/sys/rs/rs/folder.png"), tr("打开记录的数据..."), this,
                    [this] { review::showRunViewer(this); });
    menu->addAction(tr("实验室联网…"), this, &MainDialog::openLabLinkDialog)
        ->setObjectName("lablink_action");
    menu->popup(QCursor::pos());
}

void MainDialog::onS_Act1Clicked_Slot()
{
    switchLanguage(InterfaceLanguage::Chinese);
    Setting().write("language", "Chinese");
}

void MainDialog::onS_Act2Clicked_Slot()
{
    switchLanguage(InterfaceLanguage::English);
    Setting().write("language", "English");
}

void MainDialog::switchLanguage(int language)
{
    const auto wanted = InterfaceLanguage::Language(language);
    if (wanted == m_language->current())
        return;
    // What was set at run time (device title, the user's chart title, readings, hints) is taken
    // before the form's retranslation and given back after it.
    const RunTimeTexts runTimeTexts(this, [this] {
        ui->retranslateUi(this);
        m_displayPage->retranslate();
    });
    m_language->use(wanted);
    refreshTexts();
    runTimeTexts.restore([this](const QString &text) { return m_language->carried(text); });
}

void MainDialog::refreshTexts()
{
    ui->retranslateUi(this);
    m_displayPage->retranslate();
    retextHomeGrids();
    ui->device_treeWidget->setHeaderLabels({tr("设备列表")});
    applyHomeGlyph();
    const QList<QAbstractButton *> returns = {m_displayPage->returnButton(),
                                              ui->settings_btnReturn,
                                              ui->four_btnReturn,
                                              ui->five_btnReturn,
                                              ui->six_btnReturn,
                                              m_firmwarePage->returnButton()};
    for (QAbstractButton *b : returns)
        applyReturnGlyph(b);
    applyTitleGlyphs();
    m_devices->retranslate(); // the items keep their own state, not their master/slave captions
}
