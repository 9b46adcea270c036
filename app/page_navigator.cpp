#include "app/page_navigator.h"

#include "ui/catalogue_text.h"
#include "usb/device_link.h"
#include "ui/display_page.h"
#include "protocol/display_texts.h"
#include "ui/firmware_page.h"
#include "ui/test_plan_page.h"
#include "app/glyphs.h"
#include "app/icon_helper.h"
#include "ui_MainDialog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

using namespace home;

namespace app {

namespace {
// Tile names and page titles are the main dialog's texts, in its catalogue context.
QString trDialog(const char *text)
{
    return QCoreApplication::translate("MainDialog", text);
}

// Titles are kept by their source, so that a language switch shows each again in its context.
void setTitle(QWidget *label, const char *source)
{
    ui::setCatalogueText(label, "MainDialog", source);
}
} // namespace

PageNavigator::PageNavigator(Ui::MainDialog &form, ui::DisplayPage &display, FirmwarePage &firmware,
                             DeviceLink &link, QObject *parent)
    : QObject(parent), m_form(form), m_display(display), m_firmware(firmware), m_link(link),
      m_commands(&link, [&link] { return link.currentAddress(); })
{
    buildGrid("tbtn", homeTiles(), m_homeButtons);
    buildGrid("NV05_tbtn", nv05Tiles(), m_nv05Buttons);
    retextGrids();

    // The display page's return button says so through homeRequested, below.
    const std::pair<QAbstractButton *, Return> returns[] = {
        {form.settings_btnReturn, Return::FamilyHome},
        {form.six_btnReturn, Return::FamilyHomeKeepingMeterTitle},
        {form.four_btnReturn, Return::TesterHome},
        {form.five_btnReturn, Return::TesterHome},
        {form.NV05_settings_btnReturn, Return::MeterSettings}};
    for (const auto &r : returns)
        connect(r.first, &QAbstractButton::clicked, this,
                [this, rule = r.second] { returnClicked(rule); });
    connect(&firmware, &FirmwarePage::returnRequested, this,
            [this] { returnClicked(Return::FamilyHome); });
    connect(&display, &ui::DisplayPage::homeRequested, this,
            [this] { returnClicked(Return::FamilyHome); });
    connect(&display, &ui::DisplayPage::settingsRequested, this,
            [this] { openSettingsPage(QT_TRANSLATE_NOOP("MainDialog", "仪表参数设置")); });
    connect(&display, &ui::DisplayPage::upgradeRequested, this, &PageNavigator::openUpgradePage);
    connect(form.page_plan, &ui::TestPlanPage::returnRequested, this,
            [this] { returnClicked(Return::FamilyHome); });

    applyHomeGlyph();
    IconHelper::shared().applyGlyph(form.NV05_btnReturn, QChar(glyph::Home), 16);
    // The display page builds its contents when first shown.
    connect(&display, &ui::DisplayPage::contentsBuilt, this,
            [this] { applyReturnGlyph(m_display.returnButton()); });
    // Both settings pages can be entered by the display page's shortcut, which glyphs only one.
    applyReturnGlyph(form.settings_btnReturn);
    applyReturnGlyph(form.NV05_settings_btnReturn);
}

home::Page PageNavigator::currentPage() const
{
    return home::Page(m_form.disp_stackedWidget->currentIndex());
}

std::optional<PageNavigator::Home> PageNavigator::homeOf(quint8 familyCode)
{
    switch (familyCode) {
    case proto::Hk07Family:
        return Home{HomePage, QT_TRANSLATE_NOOP("MainDialog", "测试仪主界面")};
    case proto::Nv05Family:
        return Home{Nv05HomePage, QT_TRANSLATE_NOOP("MainDialog", "电能表主界面")};
    default:
        return std::nullopt;
    }
}

void PageNavigator::buildGrid(const QString &prefix, TileTable table,
                              QVector<QToolButton *> &buttons)
{
    for (int i = 0; i < table.count; ++i) {
        auto *button =
            m_form.disp_stackedWidget->findChild<QToolButton *>(prefix + QString::number(i + 1));
        if (!button)
            continue;
        connect(button, &QToolButton::clicked, this, [this, button] { tileClicked(button); });
        buttons.append(button);
    }
    if (buttons.isEmpty())
        return;
    // Pictures and colours when the grid's page is first shown: neither home page shows at the
    // start.
    QWidget *page = buttons.first();
    while (page->parentWidget() && page->parentWidget() != m_form.disp_stackedWidget)
        page = page->parentWidget();
    m_onFirstShow.insert(page, [table, &buttons] { paintTiles(table, buttons); });
    page->installEventFilter(this);
}

void PageNavigator::paintTiles(TileTable table, const QVector<QToolButton *> &buttons)
{
    for (int i = 0; i < buttons.size(); ++i) {
        const Tile &tile = table.tiles[i];
        const QPixmap picture =
            tile.glyph
                ? IconHelper::shared().glyphPixmap("#FEFEFE", QChar(tile.glyph), 50, 100, 70)
                : QPixmap(QString(":/sys/rs/rs/img/%1.png").arg(tile.image, 2, 10, QChar('0')));
        buttons[i]->setIcon(QIcon(picture));
        buttons[i]->setStyleSheet(tileStyle(tile.background));
    }
}

bool PageNavigator::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && m_onFirstShow.contains(watched)) {
        watched->removeEventFilter(this);
        m_onFirstShow.take(watched)();
    }
    return QObject::eventFilter(watched, event);
}

void PageNavigator::retextGrids()
{
    auto retext = [](const Tile *tiles, const QVector<QToolButton *> &buttons) {
        for (int i = 0; i < buttons.size(); ++i) {
            buttons[i]->setText(trDialog(tiles[i].name));
            buttons[i]->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            buttons[i]->setIconSize(QSize(100, 70));
        }
    };
    retext(homeTiles().tiles, m_homeButtons);
    retext(nv05Tiles().tiles, m_nv05Buttons);
}

void PageNavigator::retranslate()
{
    retextGrids();
    applyAllGlyphs();
}

void PageNavigator::tileClicked(QToolButton *button)
{
    // The tile is known by its place in its grid, never by its (translated) text.
    const Tile *tile = nullptr;
    if (const int i = m_homeButtons.indexOf(button); i >= 0)
        tile = &homeTiles().tiles[i];
    else if (const int j = m_nv05Buttons.indexOf(button); j >= 0)
        tile = &nv05Tiles().tiles[j];
    if (!tile)
        return;
    qCDebug(lcApp) << tile->name;
    switch (tile->action) {
    case TileAction::Display:
    case TileAction::ChartOnly:
        m_form.disp_stackedWidget->setCurrentIndex(DisplayPage);
        applyReturnGlyph(m_display.returnButton());
        if (tile->action == TileAction::ChartOnly)
            m_display.showChartOnly(tile->name);
        else
            m_display.showModeChosen(tile->name, tile->caption, tile->unit,
                                     tile->run == RunTexts::Battery);
        break;
    case TileAction::Upgrade:
        m_form.disp_stackedWidget->setCurrentIndex(UpgradePage);
        setTitle(m_firmware.titleLabel(), tile->name);
        applyReturnGlyph(m_firmware.returnButton());
        m_firmware.prepareProgress();
        break;
    case TileAction::Settings:
        openSettingsPage(tile->name);
        break;
    case TileAction::Six:
        m_form.disp_stackedWidget->setCurrentIndex(SixPage);
        setTitle(m_form.six_labTitle, tile->name);
        applyReturnGlyph(m_form.six_btnReturn);
        break;
    case TileAction::TestPlan:
        m_form.disp_stackedWidget->setCurrentIndex(TestPlanPage);
        applyReturnGlyph(m_form.page_plan->returnButton());
        break;
    }
    if (tile->mode)
        m_commands.chooseWorkMode(*tile->mode);
}

// Every return tells the instrument, except one that finds the home grid already shown. The
// meter's settings page has a return of its own: it goes to the meter's home under its model's
// title, and tells the instrument even from the home grid.
void PageNavigator::returnClicked(Return rule)
{
    const bool atHome = currentPage() == HomePage;
    if (atHome && rule != Return::MeterSettings)
        return;
    std::optional<Home> home;
    switch (rule) {
    case Return::FamilyHome:
    case Return::FamilyHomeKeepingMeterTitle:
        home = homeOf(m_link.familyCode());
        break;
    case Return::TesterHome:
        home = homeOf(proto::Hk07Family);
        break;
    case Return::MeterSettings:
        if (!atHome)
            home = Home{Nv05HomePage, QT_TRANSLATE_NOOP("MainDialog", "NV05主界面")};
        break;
    }
    if (home)
        goHome(*home, rule == Return::FamilyHomeKeepingMeterTitle && home->page == Nv05HomePage);
    m_commands.returnHome();
}

void PageNavigator::goHome(const Home &home, bool keepTitle)
{
    m_form.disp_stackedWidget->setCurrentIndex(home.page);
    if (!keepTitle)
        setTitle(m_form.labTitle, home.title);
    applyHomeGlyph();
}

void PageNavigator::openUpgradePage()
{
    m_form.disp_stackedWidget->setCurrentIndex(UpgradePage);
    setTitle(m_firmware.titleLabel(), QT_TRANSLATE_NOOP("MainDialog", "固件升级"));
    applyReturnGlyph(m_firmware.returnButton());
    m_firmware.prepareProgress();
}

void PageNavigator::openSettingsPage(const char *title)
{
    const bool nv05 = m_link.familyCode() == proto::Nv05Family;
    if (nv05 || m_link.familyCode() == proto::Hk07Family) {
        m_form.disp_stackedWidget->setCurrentIndex(nv05 ? Nv05SettingsPage : SettingsPage);
        setTitle(nv05 ? m_form.NV05_settings_labTitle : m_form.settings_labTitle, title);
        applyReturnGlyph(nv05 ? m_form.NV05_settings_btnReturn : m_form.settings_btnReturn);
    }
    m_commands.requestSettings();
    m_commands.enterSettingsPage();
}

void PageNavigator::leaveStartPage()
{
    const std::optional<Home> home = homeOf(m_link.familyCode());
    if (!home)
        return;
    const bool otherFamily =
        m_pagesFamily != proto::NoFamily && m_pagesFamily != m_link.familyCode();
    m_pagesFamily = m_link.familyCode();
    if (currentPage() == StartPage)
        m_form.disp_stackedWidget->setCurrentIndex(home->page);
    else if (otherFamily && currentPage() != UpgradePage)
        goHome(*home, false); // the pages shown belong to the other family
}

void PageNavigator::showModeTitle(const DisplayTexts &texts)
{
    if (texts.titleLabel == DisplayTexts::TitleLabel::Six)
        setTitle(m_form.six_labTitle, texts.title);
}

void PageNavigator::applyReturnGlyph(QAbstractButton *button)
{
    IconHelper::shared().applyGlyph(button, QChar(glyph::Return), 16);
}

void PageNavigator::applyHomeGlyph()
{
    IconHelper::shared().applyGlyph(m_form.btnReturn, QChar(glyph::Home), 16);
}

void PageNavigator::applyAllGlyphs()
{
    applyHomeGlyph();
    QList<QAbstractButton *> returns = {m_form.settings_btnReturn, m_form.four_btnReturn,
                                        m_form.five_btnReturn, m_form.six_btnReturn};
    // Pages not built yet get their glyph when they are first opened.
    if (m_firmware.hasForm())
        returns.append(m_firmware.returnButton());
    if (m_display.hasContents())
        returns.append(m_display.returnButton());
    if (m_form.page_plan->hasForm())
        returns.append(m_form.page_plan->returnButton());
    for (QAbstractButton *b : returns)
        applyReturnGlyph(b);
}

} // namespace app
